#include "runtime/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <string>

#include "runtime/command.h"
#include "runtime/gbk.h"
#include "runtime/win_handle.h"

namespace rt {

namespace {

constexpr WORD kShowStates[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE,
                                SW_MINIMIZE};

int32_t ShowMode(const ArgRecord& arg) {
  if (arg.tag == TypeTag::Omitted) return 2;
  const int32_t mode = arg.AsInt();
  return mode < 1 ? 1 : (mode > 6 ? 6 : mode);
}

// Calls visit(processId) for every process whose executable name equals name ignoring case,
// in the order of the system's list, until visit returns false.
template <typename Visit>
void ForEachProcessNamed(const char* name, Visit visit) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (EqualIgnoringCase(entry.szExeFile, name) && !visit(entry.th32ProcessID)) return;
  }
}

DWORD ProcessIdByName(const char* name) {
  HWND window = FindWindowA(nullptr, name);
  if (window != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
  }
  DWORD found = 0;
  ForEachProcessNamed(name, [&](DWORD id) {
    found = id;
    return false;
  });
  return found;
}

DWORD TargetProcessId(const ArgRecord& target) {
  switch (target.tag) {
    case TypeTag::Text: {
      const char* name = TextOf(target);
      return name[0] == '\0' ? 0 : ProcessIdByName(name);
    }
    case TypeTag::Byte: return target.low & 0xFFu;
    case TypeTag::Short: return static_cast<DWORD>(static_cast<int16_t>(target.low & 0xFFFFu));
    case TypeTag::Int: return target.low;
    case TypeTag::Float: return static_cast<DWORD>(static_cast<int64_t>(std::trunc(target.AsFloat())));
    case TypeTag::Double: {
      const double id = std::trunc(target.AsDouble());
      return id >= 0 && id <= 4294967295.0 ? static_cast<DWORD>(id) : 0;
    }
    default: return 0;
  }
}

}  // namespace

void RunProgram(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  std::string commandLine = TextOf(ArgAt(argc, args, 0));  // CreateProcessA may write into it
  const bool wait = ArgAt(argc, args, 1).low != 0;
  STARTUPINFOA startup{};
  static_assert(sizeof startup == 68, "the start-up record of a 32-bit process is 68 bytes");
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = kShowStates[ShowMode(ArgAt(argc, args, 2)) - 1];
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return;
  }
  ScopedHandle processHandle(process.hProcess);
  ScopedHandle threadHandle(process.hThread);
  if (wait) {
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    WaitForInputIdle(process.hProcess, 1000);
  }
  SetBool(result, true);
}

void KillProcess(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const DWORD id = TargetProcessId(ArgAt(argc, args, 0));
  if (id == 0) return;
  ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (!process.valid()) return;
  SetBool(result, TerminateProcess(process.get(), 0) != 0);
}

void CountProcesses(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* name = TextOf(ArgAt(argc, args, 0));
  int32_t count = 0;
  if (name[0] != '\0') {
    ForEachProcessNamed(name, [&](DWORD) {
      ++count;
      return true;
    });
  }
  SetInt(result, count);
}

}  // namespace rt
