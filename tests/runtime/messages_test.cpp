#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/args.h"
#include "runtime/messages.h"
#include "tests/driver/driver.h"

namespace rt {
namespace {

// What a box showed and what ShowMessage returned after the given button was pressed.
struct Shown {
  std::wstring text;
  std::wstring caption;
  HWND owner = nullptr;
  int32_t result = -100;
};

// Handles this thread's messages (a box owned by one of its windows sends to it), then looks
// for the box.
HWND PumpAndFindBox() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  for (HWND window : driver::TopLevelWindowsOf(GetCurrentProcessId())) {
    if (driver::ClassOf(window) == "#32770" && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Runs ShowMessage on a thread of its own, reads the box and presses a button of it.
template <typename... Args>
Shown ShowAndPress(int button, Args... args) {
  Shown shown;
  std::atomic<bool> closed{false};
  std::thread shower([&] {
    shown.result = CallInt(ShowMessage, args...);
    closed = true;
  });
  HWND box = nullptr;
  if (driver::WaitUntil(10000, [&] { return (box = PumpAndFindBox()) != nullptr; })) {
    wchar_t text[256] = L"", caption[256] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    GetWindowTextW(box, caption, 256);
    shown.text = text;
    shown.caption = caption;
    shown.owner = GetWindow(box, GW_OWNER);
    HWND pressed = GetDlgItem(box, button);
    if (pressed != nullptr) PostMessageA(pressed, BM_CLICK, 0, 0);
  }
  // The box may send to an owner window of this thread while it closes.
  driver::WaitUntil(10000,
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return closed.load();
      });
  shower.join();
  return shown;
}

TEST(ShowMessage, ShowsEachKindOfValueAsItsText) {
  EXPECT_EQ(ShowAndPress(IDOK, Int(42)).text, L"42");
  EXPECT_EQ(ShowAndPress(IDOK, Double(2.5)).text, L"2.5");
  EXPECT_EQ(ShowAndPress(IDOK, Double(1e15)).text, L"1e+015");
  EXPECT_EQ(ShowAndPress(IDOK, Bool(true)).text, L"真");
  EXPECT_EQ(ShowAndPress(IDOK, DateTime(36526.5)).text, L"2000年1月1日12时");
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("读文件出错!")).text, L"读文件出错!");
  EXPECT_EQ(ShowAndPress(IDOK, Omitted()).text, L"");
}

// A box without an owner is modal to its task: the windows of the thread that shows it take no
// input until it is closed.
TEST(ShowMessage, WithoutAnOwnerTheBoxDisablesTheWindowsOfItsThreadUntilItCloses) {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> closed{false};
  bool enabledAfter = false;
  std::thread shower([&] {
    HWND own = CreateWindowExA(0, "STATIC", "task", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 120, 60, nullptr, nullptr,
                               nullptr, nullptr);
    window = own;
    CallInt(ShowMessage, TextArg("读文件出错!"), Int(0));
    enabledAfter = IsWindowEnabled(own) != FALSE;
    DestroyWindow(own);
    closed = true;
  });
  HWND box = nullptr;
  const bool shown = driver::WaitUntil(10000, [&] { return (box = PumpAndFindBox()) != nullptr; });
  EXPECT_TRUE(shown);
  if (shown) {
    EXPECT_FALSE(IsWindowEnabled(window.load())) << "the thread's window takes input beside the box";
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  }
  driver::WaitUntil(10000, [&] { return closed.load(); });
  shower.join();
  EXPECT_TRUE(enabledAfter);
}

TEST(ShowMessage, CaptionDefaultsAndTheResultIsZeroForOk) {
  const Shown plain = ShowAndPress(IDOK, TextArg("不能打开该URL!"), Int(0));
  EXPECT_EQ(plain.caption, L"信息：");
  EXPECT_EQ(plain.result, 0);
  const Shown captioned = ShowAndPress(IDOK, TextArg("暂未发现新版，请耐心等待！"), Int(0), TextArg("温馨提示"));
  EXPECT_EQ(captioned.caption, L"温馨提示");
  EXPECT_EQ(captioned.result, 0);
}

TEST(ShowMessage, MapsThePressedButton) {
  EXPECT_EQ(ShowAndPress(IDCANCEL, TextArg("?"), Int(MB_OKCANCEL)).result, 1);
  EXPECT_EQ(ShowAndPress(IDABORT, TextArg("?"), Int(MB_ABORTRETRYIGNORE)).result, 2);
  EXPECT_EQ(ShowAndPress(IDRETRY, TextArg("?"), Int(MB_ABORTRETRYIGNORE)).result, 3);
  EXPECT_EQ(ShowAndPress(IDIGNORE, TextArg("?"), Int(MB_ABORTRETRYIGNORE)).result, 4);
  EXPECT_EQ(ShowAndPress(IDYES, TextArg("?"), Int(MB_YESNO)).result, 5);
  EXPECT_EQ(ShowAndPress(IDNO, TextArg("?"), Int(MB_YESNO)).result, 6);
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("?"), Int(MB_OKCANCEL | MB_SYSTEMMODAL)).result, 0);
}

TEST(ShowMessage, TakesAnOwnerOnlyFromAFourthArgument) {
  const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const auto handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(owner));
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("owned"), Int(0), Omitted(), Int(handle)).owner, owner);
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("owned"), Int(0), Omitted(), Pointer(owner, TypeTag::WindowRef)).owner, owner);
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("not owned"), Int(0), Omitted(), TextArg("x")).owner, nullptr);
  EXPECT_EQ(ShowAndPress(IDOK, TextArg("not owned"), Int(0)).owner, nullptr);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace rt
