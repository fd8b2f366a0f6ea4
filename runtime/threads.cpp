#include "runtime/threads.h"

#include <windows.h>

#include "runtime/command.h"

namespace rt {

void StartThread(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(ArgAt(argc, args, 0).AsPointer());
  const ArgRecord parameterArg = ArgAt(argc, args, 1);
  const uintptr_t parameter = parameterArg.tag == TypeTag::Omitted ? 0 : parameterArg.low;
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, routine, reinterpret_cast<void*>(parameter), 0, &threadId);
  SetBool(result, thread != nullptr);

  const ArgRecord handleArg = ArgAt(argc, args, 2);
  auto* handleVariable = handleArg.tag == TypeTag::Omitted ? nullptr : static_cast<int32_t*>(handleArg.AsPointer());
  if (handleVariable != nullptr) {
    *handleVariable = static_cast<int32_t>(reinterpret_cast<uintptr_t>(thread));
  } else if (thread != nullptr) {
    CloseHandle(thread);
  }
}

void KillThread(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  auto thread = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(ArgAt(argc, args, 0).low));
  if (thread == nullptr) return;
  SetBool(result, TerminateThread(thread, 0xFFFFFFFFu) != 0);
}

}  // namespace rt
