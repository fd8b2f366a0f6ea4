#include "runtime/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/command.h"
#include "runtime/gbk.h"
#include "runtime/path_identity.h"
#include "runtime/trace.h"
#include "runtime/wide_text.h"
#include "runtime/win_handle.h"
#include "runtime/window_close_request.h"

namespace rt {

namespace {

// How long a copy asked to close may take to save its work and end by itself. Bounded: a window
// may ignore the request, or answer it with a question nobody is there to answer, and the
// install (which leaving the updater waits for) must not wait for another program for ever.
constexpr DWORD kCloseWaitMs = 5000;

constexpr WORD kShowStates[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE,
                                SW_MINIMIZE};

int32_t ShowMode(const ArgRecord& arg) {
  if (arg.tag == TypeTag::Omitted) return 2;
  const int32_t mode = arg.AsInt();
  return mode < 1 ? 1 : (mode > 6 ? 6 : mode);
}

// Calls visit(entry) for every running process, in the order of the system's list, until
// visit returns false.
template <typename Visit>
void ForEachProcess(Visit visit) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (!visit(entry)) return;
  }
}

// The same for the processes whose executable name equals name ignoring case.
template <typename Visit>
void ForEachProcessNamed(const char* name, Visit visit) {
  ForEachProcess([&](const PROCESSENTRY32& entry) {
    return !EqualIgnoringCase(entry.szExeFile, name) || visit(entry.th32ProcessID);
  });
}

// The names a process list may give an executable: its long name and its 8.3 name.
struct FileNames {
  std::wstring longName, shortName;

  bool Match(const char* listed) const {
    if (std::strchr(listed, '?') != nullptr) return true;  // a name the code page cannot show: look closer
    const std::wstring name = SystemWidened(listed);
    return SamePath(name, longName) || (!shortName.empty() && SamePath(name, shortName));
  }
};

std::wstring BaseName(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

FileNames FileNamesOf(const std::wstring& path) {
  wchar_t shortPath[kLongPath];
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath, kLongPath);
  return {BaseName(path), length > 0 && length < kLongPath ? BaseName(std::wstring(shortPath, length)) : L""};
}

// Requests the end of a process through the handle its executable was read with, so that the
// process ended is the one that was checked, never another that took over its id.
bool EndProcess(const ScopedHandle& process) {
  if (TerminateProcess(process.get(), 0) || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return true;
  const uint32_t error = LastSystemError();
  Trace("stop: a process could not be ended", {{"pid", GetProcessId(process.get())}, {"error", error}});
  return false;
}

DWORD MsLeft(DWORD start, DWORD ms) {
  const DWORD spent = GetTickCount() - start;
  return spent < ms ? ms - spent : 0;
}

bool Running(const ScopedHandle& process) { return WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0; }

// Waits until every process has ended or ms have passed, whichever comes first.
void WaitForEnds(const std::vector<const ScopedHandle*>& processes, DWORD ms) {
  const DWORD start = GetTickCount();
  for (const ScopedHandle* process : processes) WaitForSingleObject(process->get(), MsLeft(start, ms));
}

// Waits until every process has ended, at most ms in all.
bool AllEnded(const std::vector<ScopedHandle>& processes, int32_t ms) {
  const DWORD start = GetTickCount();
  for (const ScopedHandle& process : processes) {
    if (WaitForSingleObject(process.get(), MsLeft(start, static_cast<DWORD>(ms))) != WAIT_OBJECT_0) {
      Trace("stop: a process did not end in time", {{"pid", GetProcessId(process.get())}, {"ms", ms}});
      return false;
    }
  }
  return true;
}

// The running processes of one executable, each with the handle that its path was read
// through; refused when one of them may not be ended by us.
struct RunningCopies {
  std::vector<ScopedHandle> processes;
  bool refused = false;
};

RunningCopies RunningCopiesOf(const std::wstring& target) {
  const FileNames names = FileNamesOf(target);
  RunningCopies copies;
  ForEachProcess([&](const PROCESSENTRY32& entry) {
    // Opening a process and reading its path is slow; a process of another name cannot be
    // running this file.
    if (!names.Match(entry.szExeFile)) return true;
    // One handle per process, to read its executable, ask it to close, end it and wait for it.
    ScopedHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    const uint32_t openError = process.valid() ? 0 : LastSystemError();
    if (!process.valid()) {
      // Not ours to end; it is a refusal only when it runs this executable all the same.
      ScopedHandle query(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
      if (SamePath(ExecutableOf(query.get()), target)) {
        Trace("stop: a process could not be ended", {{"pid", entry.th32ProcessID}, {"error", openError}});
        copies.refused = true;
      }
      return true;
    }
    if (SamePath(ExecutableOf(process.get()), target)) copies.processes.push_back(std::move(process));
    return true;
  });
  return copies;
}

// Asks each process's windows to close, so that it can save what its user has not, and ends it
// when it is still running after the wait; a process without a window is ended at once. The
// windows' owner is compared with the id of the handle held, which no other process can take
// while that handle is open. False when one could not be ended.
bool CloseOrEnd(const std::vector<ScopedHandle>& processes) {
  std::vector<const ScopedHandle*> asked;
  bool endedAll = true;
  for (const ScopedHandle& process : processes) {
    if (AskWindowsToClose(GetProcessId(process.get())) > 0) {
      asked.push_back(&process);
    } else {
      endedAll = EndProcess(process) && endedAll;
    }
  }
  WaitForEnds(asked, kCloseWaitMs);
  for (const ScopedHandle* process : asked) {
    if (!Running(*process)) continue;
    Trace("stop: asked to close, still running", {{"pid", GetProcessId(process->get())}});
    endedAll = EndProcess(*process) && endedAll;
  }
  return endedAll;
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

void StopProcessesOf(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* executable = TextOf(ArgAt(argc, args, 0));
  if (executable[0] == '\0') return;
  RunningCopies copies = RunningCopiesOf(NormalisedPath(SystemWidened(executable)));
  const bool endedAll = CloseOrEnd(copies.processes);
  const bool ended = !copies.refused && endedAll && AllEnded(copies.processes, ArgAt(argc, args, 1).AsInt());
  SetInt(result, ended ? static_cast<int32_t>(copies.processes.size()) : -1);
}

}  // namespace rt
