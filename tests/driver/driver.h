// Drives Windows programs from another process: starts them, finds their windows and
// message boxes, reads what the controls show, clicks, presses keys and waits for the end.
// Every wait takes a deadline in milliseconds; nothing waits on a fixed sleep.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// A started process; its handles close with it.
class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD id) : handle_(process), id_(id) {}
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  HANDLE handle() const { return handle_; }
  DWORD id() const { return id_; }
  bool started() const { return handle_ != nullptr; }
  bool running() const;
  // Terminates the process if it still runs (a test's last resort).
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Starts a command line in a working directory ("" for ours). Not started: started() false.
Process Launch(const std::string& commandLine, const std::string& workingDirectory = "");

// The exit code once the process has ended within the deadline.
std::optional<DWORD> WaitForExit(const Process& process, DWORD timeoutMs);

// Polls condition every few milliseconds until it holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The first visible-or-not top-level window with this exact title (GBK), within the deadline.
HWND WaitForWindow(const char* title, DWORD timeoutMs);

// Top-level windows of a process.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// A window's text read by WM_GETTEXT (as another process reads it).
std::string TextOf(HWND window);

// A window's class name.
std::string ClassOf(HWND window);

struct ControlInfo {
  HWND window;
  std::string className;
  std::string text;
  RECT screenRect;  // position and size on the screen
  bool visible;
  bool enabled;
};

// All descendants of a window, in the order EnumChildWindows reports them.
std::vector<ControlInfo> ListControls(HWND window);

// The child control of window whose screen rectangle starts at (left, top) relative to the
// window's client area, or null.
HWND ControlAt(HWND window, int left, int top);

// The position a progress bar shows (PBM_GETPOS).
int ProgressPosition(HWND bar);

// Clicks a button without waiting for what the click does (a modal box, for instance).
void Click(HWND button);

// Presses and releases Esc in a window (posted key messages).
void PressEscape(HWND window);

// Asks a window to close, as another program would (posted WM_CLOSE).
void RequestClose(HWND window);

struct MessageBoxInfo {
  HWND window;
  std::string caption;
  std::string text;
};

// A message box (dialog class #32770) of the process, within the deadline.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs);

// Presses the box's OK button.
void PressOk(HWND box);

// A private directory for one test, removed with everything in it when the object goes.
class TempDirectory {
 public:
  explicit TempDirectory(const std::string& prefix = "corvane");
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  ~TempDirectory();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for test data.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadWholeFile(const std::string& path);
bool FileExistsAt(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to);

// The directory of the running executable (where the test programs are built).
std::string ProgramDirectory();

}  // namespace driver
