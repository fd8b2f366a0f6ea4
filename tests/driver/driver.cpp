#include "tests/driver/driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <thread>
#include <utility>

namespace driver {

namespace {

constexpr DWORD kMessageTimeoutMs = 2000;

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

}  // namespace

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

bool Process::running() const { return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

void Process::Kill() {
  if (running()) {
    TerminateProcess(handle_, 0xDEAD);
    WaitForSingleObject(handle_, 5000);
  }
}

Process Launch(const std::string& commandLine, const std::string& workingDirectory) {
  std::string command = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info)) {
    return Process();
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

std::optional<DWORD> WaitForExit(const Process& process, DWORD timeoutMs) {
  if (!process.started() || WaitForSingleObject(process.handle(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process.handle(), &code);
  return code;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

HWND WaitForWindow(const char* title, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindWindowA(nullptr, title)) != nullptr; }, timeoutMs);
  return window;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) {
  char text[4096] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &copied)) {
    return std::string();
  }
  return std::string(text, static_cast<size_t>(copied));
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<ControlInfo> ListControls(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  std::vector<ControlInfo> controls;
  for (HWND child : children) {
    RECT rect{};
    GetWindowRect(child, &rect);
    controls.push_back({child, ClassOf(child), TextOf(child), rect, IsWindowVisible(child) != 0,
                        IsWindowEnabled(child) != 0});
  }
  return controls;
}

HWND ControlAt(HWND window, int left, int top) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  for (const ControlInfo& control : ListControls(window)) {
    if (control.screenRect.left - origin.x == left && control.screenRect.top - origin.y == top) return control.window;
  }
  return nullptr;
}

int ProgressPosition(HWND bar) {
  DWORD_PTR position = 0;
  SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &position);
  return static_cast<int>(position);
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void PressEscape(HWND window) {
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  std::optional<MessageBoxInfo> box;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindowsOf(processId)) {
          if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) continue;
          HWND text = GetDlgItem(window, 0xFFFF);
          box = MessageBoxInfo{window, TextOf(window), text != nullptr ? TextOf(text) : std::string()};
          return true;
        }
        return false;
      },
      timeoutMs);
  return box;
}

void PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok != nullptr) {
    PostMessageA(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
}

TempDirectory::TempDirectory(const std::string& prefix) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    path_ = std::string(base) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter)) + "-" + std::to_string(GetTickCount());
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
  }
}

TempDirectory::~TempDirectory() {
  // SHFileOperation wants a double NUL at the end of the list of paths.
  std::string from = path_;
  from.push_back('\0');
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&operation);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool FileExistsAt(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool CopyFileTo(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE); }

std::string ProgramDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of('\\'));
}

}  // namespace driver
