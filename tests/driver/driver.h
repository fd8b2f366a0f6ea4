// The test driver: operates the updater's window from another process, the way a user or the
// system would, and reads back what the window shows. Used by the end-to-end tests and by the
// command-line program corvane_driver (for the demo and for scripts).
//
// Everything that waits for the other process takes a deadline in milliseconds and returns
// empty (or false) when it passes; nothing sleeps for a fixed time. Texts are ANSI (GBK) bytes,
// except the wide ones: what the system keeps and shows in UTF-16 (titles, window texts, the
// boxes), which reads the same whatever the system's code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// The updater window's title, as its taskbar button shows it.
extern const wchar_t kUpdaterTitle[];

// A deadline for waiting on another program: usualMs, or CORVANE_TEST_DEADLINE_MS when that is
// set, for programs that run emulated (about a minute for every start).
DWORD DeadlineMs(DWORD usualMs);

// A child process started by a test. Ended (TerminateProcess) by the destructor if it is still
// running, so that a failing test leaves nothing behind.
class Process {
 public:
  // Starts commandLine in directory (empty: the current one); an invalid Process on failure.
  static Process Start(const std::string& commandLine, const std::string& directory = "");
  // The same, as a child of `parent` (null: of this process), with the rights of this user's
  // limited token instead of this process's own when `limited`.
  static Process StartAs(const std::string& commandLine, const std::string& directory, HANDLE parent, bool limited);

  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool valid() const { return handle_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_; }

  // The exit code once the process has ended, or empty when it is still running at the deadline.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
  void Kill();
  // From now on nobody can open the process to end it (its handle here still can, and Kill
  // does): the process of another user, or of the system, to the one who would stop it.
  bool DenyEnding() const;

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// The exit code of the process with this id once it has ended; empty at the deadline or when
// there is no such process.
std::optional<DWORD> WaitForProcessExit(DWORD processId, DWORD timeoutMs);

// A visible top-level window with this title, of the process processId (0: of any process).
// Compared as the system keeps titles, in UTF-16; an ANSI title is read in the system's code page.
HWND FindWindowByTitle(const wchar_t* title, DWORD processId, DWORD timeoutMs);
HWND FindWindowByTitle(const char* ansiTitle, DWORD processId, DWORD timeoutMs);
HWND FindUpdaterWindow(DWORD processId, DWORD timeoutMs);

DWORD ProcessOfWindow(HWND window);

// A window's class name.
std::string ClassOf(HWND window);

// The top-level windows of a process, visible or not.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// The window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);

struct ControlInfo {
  HWND window = nullptr;
  uint32_t id = 0;         // the child window id, which is the control's ControlId
  std::string className;
  std::string text;        // what the control answers to WM_GETTEXT
  std::wstring wideText;   // the window text the system keeps (GetWindowTextW)
  RECT rect{};             // relative to the top-level window's client area
  bool visible = false;    // the control's own visible flag
  bool enabled = false;
};

// The direct and nested child windows that carry a control id (the browser's own inner
// windows, which carry none, are left out), in the order the system enumerates them.
std::vector<ControlInfo> ListControls(HWND window);
std::optional<ControlInfo> FindControl(HWND window, uint32_t id);

// WM_GETTEXT, answered by the window's own thread (empty when it does not answer in time).
std::string ReadText(HWND control, DWORD timeoutMs = 2000);
// Waits until the control's text is `expected`.
bool WaitForText(HWND control, const std::string& expected, DWORD timeoutMs);

// The window text the system keeps for a window of another process, read without a message
// (GetWindowTextW): a title as the taskbar shows it, a control's text as screen readers get it.
std::wstring ReadWideText(HWND window);

// A progress bar's position (PBM_GETPOS), or -1 when it does not answer.
int ReadProgressPosition(HWND bar, DWORD timeoutMs = 2000);
// Waits until the bar's position is `expected`.
bool WaitForProgressPosition(HWND bar, int expected, DWORD timeoutMs);

// The window that holds the keyboard focus in the thread of `window` (the window itself when
// none of its controls does).
HWND FocusedWindow(HWND window);

// Posted, so that a button whose handler opens a modal box does not block the driver.
bool Click(HWND control);
// Esc pressed in the window: key down and up posted to the control that holds its focus.
bool PressEscape(HWND window);
// A close request from outside (WM_CLOSE, posted).
bool RequestClose(HWND window);

// Real mouse input (SendInput), in screen coordinates: press at `from`, move in steps to `to`,
// release there.
bool MouseDrag(POINT from, POINT to);

// Real input (SendInput), which reaches the program the way a hand's does, focus rules and
// all; posted messages go straight to a window and cannot show where the keys really go.
// A left click at the centre of the control, once nothing covers it there.
bool ClickWithMouse(HWND control);
// A key pressed and released, once `window` is the foreground window: the system gives it to
// whatever holds the focus there, or to nobody.
bool PressKey(HWND window, WORD virtualKey);
// Once `window`, of `owner`, is the foreground window and the display has followed. Under Wine
// without a window manager the X server gives the window the keyboard focus only after Wine has
// made it the foreground window, and the window that had the focus hears of its loss later
// still; pressed on in between, that window becomes active, then takes the late news for a loss
// of its own and hands the foreground to the desktop. Waits until the owner has gone idle (its
// requests to the display are sent), the window has answered, and the display has answered twice.
bool WaitUntilInFront(const Process& owner, HWND window, DWORD timeoutMs);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;  // ANSI: as read in the system's code page
  std::string text;
  std::wstring wideCaption;  // as the box shows them
  std::wstring wideText;
};

// A message box (dialog class #32770) shown by the process.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Presses its OK button (posted BM_CLICK).
bool PressOk(HWND box);

// A copy of part of the screen as the display shows it.
struct ScreenImage {
  RECT area{};  // in screen coordinates
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // row by row from the top
  // The colour at (x, y) relative to the area's top-left corner.
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
std::optional<ScreenImage> CaptureScreen(RECT area);

// Polls `condition` until it holds or the deadline passes.
template <typename Condition>
bool WaitUntil(DWORD timeoutMs, Condition&& condition) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
}

}  // namespace driver
