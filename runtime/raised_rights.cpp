#include "runtime/raised_rights.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "runtime/command.h"
#include "runtime/path_identity.h"
#include "runtime/text_ops.h"
#include "runtime/unique_resource.h"
#include "runtime/wide_text.h"
#include "runtime/win_handle.h"

namespace rt {

namespace {

// A text the program keeps, from a name as the system's ANSI file functions would spell it.
void SetSystemText(ArgRecord* result, const std::wstring& name) {
  const int length = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return;
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), text.data(), length, nullptr, nullptr);
  SetPointer(result, ConcatTexts(1, text.c_str()));
}

struct LocalMemoryResource {
  static bool Holds(wchar_t** block) { return block != nullptr; }
  static void Release(wchar_t** block) { LocalFree(block); }
};

// The command line split as the C runtime splits it, the program's own name first.
struct ProgramArguments {
  ProgramArguments() : list(CommandLineToArgvW(GetCommandLineW(), &count)) {}
  int count = 0;
  UniqueResource<wchar_t**, LocalMemoryResource> list;
};

DWORD ParentProcessId() {
  const DWORD self = GetCurrentProcessId();
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
  }
  return 0;
}

std::wstring ThisProgram() {
  wchar_t path[kLongPath];
  const DWORD length = GetModuleFileNameW(nullptr, path, kLongPath);
  return length > 0 && length < kLongPath ? NormalisedPath(std::wstring(path, length)) : std::wstring();
}

}  // namespace

void DirectoryTakesFiles(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  // A name of this process's own, gone with its handle.
  const std::string probe = std::string(TextOf(ArgAt(argc, args, 0))) + "\\~corvane-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  const ScopedHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  const DWORD error = file.valid() ? ERROR_SUCCESS : GetLastError();
  SetBool(result, error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT);
  SetLastError(error);
}

void HasRaisedRights(ArgRecord* result, int32_t, const ArgRecord*) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
  const ScopedHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  SetBool(result, GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0 &&
                      elevation.TokenIsElevated != 0);
}

void StartedByThisProgram(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const DWORD parent = static_cast<DWORD>(ArgAt(argc, args, 0).AsInt());
  if (parent == 0 || parent != ParentProcessId()) return;
  const ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent));
  const std::wstring self = ThisProgram();
  SetBool(result, process.valid() && !self.empty() && SamePath(ExecutableOf(process.get()), self));
}

void SameFilePath(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::wstring a = NormalisedPath(SystemWidened(TextOf(ArgAt(argc, args, 0))));
  const std::wstring b = NormalisedPath(SystemWidened(TextOf(ArgAt(argc, args, 1))));
  SetBool(result, !a.empty() && SamePath(a, b));
}

void TemporaryFolder(ArgRecord* result, int32_t, const ArgRecord*) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length > 0 && length <= MAX_PATH) SetSystemText(result, std::wstring(folder, length));
}

void ProgramArgumentCount(ArgRecord* result, int32_t, const ArgRecord*) {
  const ProgramArguments arguments;
  SetInt(result, arguments.list ? arguments.count - 1 : 0);
}

void ProgramArgument(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ProgramArguments arguments;
  const int32_t index = ArgAt(argc, args, 0).AsInt();
  if (!arguments.list || index < 0 || index + 1 >= arguments.count) return;
  SetSystemText(result, arguments.list.get()[index + 1]);
}

void ThisProcessId(ArgRecord* result, int32_t, const ArgRecord*) { SetInt(result, static_cast<int32_t>(GetCurrentProcessId())); }

void StartThisProgramRaised(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::wstring program = ThisProgram();
  const std::wstring parameters = SystemWidened(TextOf(ArgAt(argc, args, 0)));
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  request.lpVerb = L"runas";
  request.lpFile = program.c_str();
  request.lpParameters = parameters.c_str();
  request.nShow = SW_HIDE;
  if (!ShellExecuteExW(&request)) return;
  if (request.hProcess == nullptr) {
    SetLastError(ERROR_CANCELLED);  // started through something that gave no process to watch
    return;
  }
  // Kernel handles carry their value in the low 32 bits, on 64-bit Windows too.
  SetInt(result, HandleToLong(request.hProcess));
}

}  // namespace rt
