#include "tests/driver/driver.h"

#include <aclapi.h>
#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace driver {

DWORD DeadlineMs(DWORD usualMs) {
  const char* value = std::getenv("CORVANE_TEST_DEADLINE_MS");
  const unsigned long ms = value != nullptr ? std::strtoul(value, nullptr, 10) : 0;
  return ms > 0 ? static_cast<DWORD>(ms) : usualMs;
}

const wchar_t kUpdaterTitle[] = L"Tavlor软件更新程序";

namespace {

constexpr UINT kAnswerTimeoutFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
// How long real input waits for its target to be where the input will go.
constexpr DWORD kInputReadyMs = 5000;

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, DWORD_PTR* result) {
  return SendMessageTimeoutA(window, message, wParam, lParam, kAnswerTimeoutFlags, timeoutMs, result) != 0;
}

struct TitleSearch {
  const wchar_t* title;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  if (!IsWindowVisible(window)) return TRUE;
  if (search->processId != 0 && ProcessOfWindow(window) != search->processId) return TRUE;
  if (ReadWideText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

struct ControlSearch {
  HWND root;
  std::vector<ControlInfo>* controls;
};

BOOL CALLBACK CollectControl(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ControlSearch*>(context);
  const auto id = static_cast<uint32_t>(GetWindowLongPtrA(window, GWLP_ID));
  if (id == 0) return TRUE;
  ControlInfo info;
  info.window = window;
  info.id = id;
  info.className = ClassOf(window);
  info.text = ReadText(window);
  info.wideText = ReadWideText(window);
  GetWindowRect(window, &info.rect);
  MapWindowPoints(nullptr, search->root, reinterpret_cast<POINT*>(&info.rect), 2);
  info.visible = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
  info.enabled = IsWindowEnabled(window) != FALSE;
  search->controls->push_back(std::move(info));
  return TRUE;
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMessageBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  if (ProcessOfWindow(window) != search->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != "#32770") return TRUE;
  // A box may be visible a moment before its text is set; every box of the program has one.
  HWND text = GetDlgItem(window, 0xFFFF);
  if (text == nullptr || GetWindowTextLengthA(text) == 0) return TRUE;
  search->found = window;
  return FALSE;
}

INPUT MouseInput(POINT at, DWORD flags) {
  // Absolute coordinates run from 0 to 65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65536, width) + 1;
  input.mi.dy = MulDiv(at.y, 65536, height) + 1;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return input;
}

// One event at a time with a pause, as a hand would: a move loop, for one, reads them one by one.
bool SendOneByOne(std::vector<INPUT> inputs) {
  for (INPUT& input : inputs) {
    if (SendInput(1, &input, sizeof input) != 1) return false;
    Sleep(15);
  }
  return true;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
  if (ProcessOfWindow(window) == search->first) search->second.push_back(window);
  return TRUE;
}

}  // namespace

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  std::pair<DWORD, std::vector<HWND>> search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

Process Process::Start(const std::string& commandLine, const std::string& directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  std::string line = commandLine;
  Process process;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &created))
    return process;
  CloseHandle(created.hThread);
  process.handle_ = created.hProcess;
  process.id_ = created.dwProcessId;
  return process;
}

namespace {

// The limited token linked to this process's elevated one, as a primary token to start with.
HANDLE LimitedToken() {
  HANDLE own = nullptr, primary = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
    DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary);
    CloseHandle(linked.LinkedToken);
  }
  CloseHandle(own);
  return primary;
}

}  // namespace

Process Process::StartAs(const std::string& commandLine, const std::string& directory, HANDLE parent, bool limited) {
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> attributes(size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  Process process;
  if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return process;
  if (parent != nullptr) {
    UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent, sizeof parent, nullptr, nullptr);
  }
  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = list;
  HANDLE token = limited ? LimitedToken() : nullptr;
  PROCESS_INFORMATION created{};
  std::string line = commandLine;
  const char* folder = directory.empty() ? nullptr : directory.c_str();
  const BOOL started =
      (!limited || token != nullptr) &&
      (limited ? CreateProcessAsUserA(token, nullptr, line.data(), nullptr, nullptr, FALSE, EXTENDED_STARTUPINFO_PRESENT,
                                      nullptr, folder, &startup.StartupInfo, &created)
               : CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                folder, &startup.StartupInfo, &created));
  if (token != nullptr) CloseHandle(token);
  DeleteProcThreadAttributeList(list);
  if (!started) return process;
  CloseHandle(created.hThread);
  process.handle_ = created.hProcess;
  process.id_ = created.dwProcessId;
  return process;
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() {
  Kill();
  if (handle_ != nullptr) CloseHandle(handle_);
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  if (handle_ == nullptr || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::Kill() {
  if (handle_ == nullptr || WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0) return;
  TerminateProcess(handle_, 1);
  WaitForSingleObject(handle_, 5000);
}

bool Process::DenyEnding() const {
  // Everyone may do everything with the process but end it.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x1FFFFE;;;WD)", SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return false;
  }
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  const bool denied = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                      SetSecurityInfo(handle_, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                      nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return denied;
}

std::optional<DWORD> WaitForProcessExit(DWORD processId, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return std::nullopt;
  std::optional<DWORD> code;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process, &exitCode)) code = exitCode;
  }
  CloseHandle(process);
  return code;
}

DWORD ProcessOfWindow(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

HWND FindWindowByTitle(const wchar_t* title, DWORD processId, DWORD timeoutMs) {
  TitleSearch search{title, processId, nullptr};
  WaitUntil(timeoutMs, [&] {
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  return search.found;
}

HWND FindWindowByTitle(const char* ansiTitle, DWORD processId, DWORD timeoutMs) {
  const int length = static_cast<int>(std::strlen(ansiTitle));
  std::wstring title(static_cast<size_t>(length), L'\0');
  title.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansiTitle, length, title.data(), length)));
  return FindWindowByTitle(title.c_str(), processId, timeoutMs);
}

HWND FindUpdaterWindow(DWORD processId, DWORD timeoutMs) { return FindWindowByTitle(kUpdaterTitle, processId, timeoutMs); }

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<ControlInfo> ListControls(HWND window) {
  std::vector<ControlInfo> controls;
  ControlSearch search{window, &controls};
  EnumChildWindows(window, CollectControl, reinterpret_cast<LPARAM>(&search));
  return controls;
}

std::optional<ControlInfo> FindControl(HWND window, uint32_t id) {
  for (ControlInfo& control : ListControls(window)) {
    if (control.id == id) return std::move(control);
  }
  return std::nullopt;
}

std::string ReadText(HWND control, DWORD timeoutMs) {
  DWORD_PTR length = 0;
  if (!SendWithTimeout(control, WM_GETTEXTLENGTH, 0, 0, timeoutMs, &length)) return "";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendWithTimeout(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), timeoutMs, &copied))
    return "";
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

bool WaitForText(HWND control, const std::string& expected, DWORD timeoutMs) {
  return WaitUntil(timeoutMs, [&] { return ReadText(control) == expected; });
}

std::wstring ReadWideText(HWND window) {
  std::wstring text(32768, L'\0');  // room for any text the tests read
  text.resize(static_cast<size_t>(std::max(GetWindowTextW(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

int ReadProgressPosition(HWND bar, DWORD timeoutMs) {
  DWORD_PTR position = 0;
  if (!SendWithTimeout(bar, PBM_GETPOS, 0, 0, timeoutMs, &position)) return -1;
  return static_cast<int>(position);
}

bool WaitForProgressPosition(HWND bar, int expected, DWORD timeoutMs) {
  return WaitUntil(timeoutMs, [&] { return ReadProgressPosition(bar) == expected; });
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) return info.hwndFocus;
  return window;
}

bool Click(HWND control) { return PostMessageA(control, BM_CLICK, 0, 0) != 0; }

bool PressEscape(HWND window) {
  HWND focus = FocusedWindow(window);
  const LPARAM down = 1 | (MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC) << 16);
  const LPARAM up = down | (1u << 30) | (1u << 31);
  return PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, down) != 0 && PostMessageA(focus, WM_KEYUP, VK_ESCAPE, up) != 0;
}

bool RequestClose(HWND window) { return PostMessageA(window, WM_CLOSE, 0, 0) != 0; }

bool MouseDrag(POINT from, POINT to) {
  std::vector<INPUT> inputs;
  inputs.push_back(MouseInput(from, 0));
  inputs.push_back(MouseInput(from, MOUSEEVENTF_LEFTDOWN));
  constexpr int kSteps = 8;
  for (int step = 1; step <= kSteps; ++step) {
    const POINT at{from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps};
    inputs.push_back(MouseInput(at, 0));
  }
  inputs.push_back(MouseInput(to, MOUSEEVENTF_LEFTUP));
  return SendOneByOne(inputs);
}

bool ClickWithMouse(HWND control) {
  RECT rect;
  if (!GetWindowRect(control, &rect)) return false;
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  if (!WaitUntil(kInputReadyMs, [&] { return WindowFromPoint(centre) == control; })) return false;
  return SendOneByOne({MouseInput(centre, 0), MouseInput(centre, MOUSEEVENTF_LEFTDOWN),
                       MouseInput(centre, MOUSEEVENTF_LEFTUP)});
}

bool PressKey(HWND window, WORD virtualKey) {
  if (!WaitUntil(kInputReadyMs, [&] { return GetForegroundWindow() == window; })) return false;
  std::vector<INPUT> inputs(2);
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendOneByOne(inputs);
}

bool WaitUntilInFront(const Process& owner, HWND window, DWORD timeoutMs) {
  if (!WaitUntil(timeoutMs, [&] { return GetForegroundWindow() == window; })) return false;
  if (WaitForInputIdle(owner.handle(), timeoutMs) != 0) return false;
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &answer) == 0) return false;
  // Reading the screen is a round trip through the display: by the second, the requests the
  // owner sent before have been handled there and their events are on their way.
  for (int trip = 0; trip < 2; ++trip) {
    if (!CaptureScreen(RECT{0, 0, 1, 1})) return false;
  }
  return GetForegroundWindow() == window;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  BoxSearch search{processId, nullptr};
  if (!WaitUntil(timeoutMs, [&] {
        search.found = nullptr;
        EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
        // A box may be visible a moment before its text is there.
        return search.found != nullptr && !ReadText(GetDlgItem(search.found, 0xFFFF)).empty();
      }))
    return std::nullopt;
  MessageBoxInfo box;
  box.window = search.found;
  char caption[512] = "";
  GetWindowTextA(box.window, caption, sizeof caption);
  box.caption = caption;
  box.wideCaption = ReadWideText(box.window);
  // The box's text is the static control with id 0xFFFF.
  if (HWND text = GetDlgItem(box.window, 0xFFFF)) box.text = ReadText(text);
  wchar_t wideText[1024] = L"";
  GetDlgItemTextW(box.window, 0xFFFF, wideText, static_cast<int>(std::size(wideText)));
  box.wideText = wideText;
  return box;
}

bool PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  return ok != nullptr && PostMessageA(ok, BM_CLICK, 0, 0) != 0;
}

std::optional<ScreenImage> CaptureScreen(RECT area) {
  ScreenImage image;
  image.area = area;
  image.width = area.right - area.left;
  image.height = area.bottom - area.top;
  if (image.width <= 0 || image.height <= 0) return std::nullopt;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return std::nullopt;
  HDC copy = CreateCompatibleDC(screen);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = image.width;
  format.bmiHeader.biHeight = -image.height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(copy, bitmap);
    copied = BitBlt(copy, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    if (copied) {
      const auto* pixels = static_cast<const uint32_t*>(bits);
      image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
      // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
      for (int i = 0; i < image.width * image.height; ++i) {
        const uint32_t p = pixels[i];
        image.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
      }
    }
    SelectObject(copy, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  if (!copied) return std::nullopt;
  return image;
}

}  // namespace driver
