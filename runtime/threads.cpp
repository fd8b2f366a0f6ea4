#include "runtime/threads.h"

#include <windows.h>

#include "runtime/command.h"
#include "runtime/program_state.h"

namespace rt {

namespace {

// A thread handle travels as a 32-bit integer: handles have 32 significant bits on every
// Windows, and 64-bit Windows widens them with the sign.
HANDLE ThreadHandleOf(const ArgRecord& handle) { return LongToHandle(handle.AsInt()); }

}  // namespace

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
    *handleVariable = HandleToLong(thread);
  } else if (thread != nullptr) {
    CloseHandle(thread);
  }
}

void WaitForThreadEnd(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  HANDLE thread = ThreadHandleOf(ArgAt(argc, args, 0));
  if (thread == nullptr) {
    SetBool(result, true);
    return;
  }
  const DWORD limit = static_cast<DWORD>(ArgAt(argc, args, 1).AsInt());
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    const DWORD left = spent < limit ? limit - spent : 0;
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) {
      SetBool(result, true);
      return;
    }
    if (woke != WAIT_OBJECT_0 + 1 || left == 0) return;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // handles sent messages
  }
}

namespace {

struct ExitDeadline {
  DWORD ms;
  UINT code;
};
ExitDeadline g_deadline;

DWORD WINAPI EndAtDeadline(void*) {
  Sleep(g_deadline.ms);
  TerminateProcess(GetCurrentProcess(), g_deadline.code);
  return 0;
}

}  // namespace

void ArmExitDeadline(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  g_deadline = {static_cast<DWORD>(ArgAt(argc, args, 0).AsInt()), ArgAt(argc, args, 1).low};
  HANDLE watchdog = CreateThread(nullptr, 0, EndAtDeadline, nullptr, 0, nullptr);
  if (watchdog == nullptr) return;
  CloseHandle(watchdog);
  SetBool(result, true);
}

void KillThread(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  HANDLE thread = ThreadHandleOf(ArgAt(argc, args, 0));
  if (thread == nullptr) return;
  const bool killed = TerminateThread(thread, 0xFFFFFFFFu) != 0;
  if (killed) ThreadWasKilled.store(true);
  SetBool(result, killed);
}

}  // namespace rt
