#include "runtime/watched_program.h"

#include <windows.h>

#include <string>

#include "runtime/command.h"
#include "runtime/win_handle.h"

namespace rt {

namespace {

// Kernel handles carry their value in the low 32 bits, on 64-bit Windows too.
HANDLE ProcessOf(const ArgRecord& program) { return LongToHandle(program.AsInt()); }

}  // namespace

void StartWatchedProgram(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  std::string commandLine = TextOf(ArgAt(argc, args, 0));  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return;
  }
  ScopedHandle thread(process.hThread);
  SetInt(result, HandleToLong(process.hProcess));
}

void WaitForProgramEnd(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const DWORD ms = static_cast<DWORD>(ArgAt(argc, args, 1).AsInt());
  SetBool(result, WaitForSingleObject(ProcessOf(ArgAt(argc, args, 0)), ms) == WAIT_OBJECT_0);
}

void ProgramExitCode(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  DWORD code = 0;
  GetExitCodeProcess(ProcessOf(ArgAt(argc, args, 0)), &code);
  SetInt(result, static_cast<int32_t>(code));
}

void LetGoOfProgram(ArgRecord*, int32_t argc, const ArgRecord* args) {
  HANDLE process = ProcessOf(ArgAt(argc, args, 0));
  if (KernelHandleResource::Holds(process)) CloseHandle(process);
}

}  // namespace rt
