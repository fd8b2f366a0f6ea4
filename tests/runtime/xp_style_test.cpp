#include <gtest/gtest.h>

#include <windows.h>

#include "runtime/args.h"
#include "runtime/xp_style.h"

namespace rt {
namespace {

// A top-level window of this thread with one child of the given class and style.
class TestWindow {
 public:
  TestWindow() {
    window_ = CreateWindowExA(0, "STATIC", "xp", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                              nullptr, nullptr);
  }
  ~TestWindow() { DestroyWindow(window_); }
  HWND Add(const char* className, DWORD style, const char* text = "开始更新", DWORD exStyle = 0) {
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 90, 30, window_, nullptr,
                           nullptr, nullptr);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// What the control paints, read from a memory bitmap it printed itself into.
COLORREF PixelOfPrint(HWND control, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 90, 30);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF pixel = GetPixel(memory, x, y);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixel;
}

// What is on the screen at a point of the control, after it painted.
COLORREF PixelOnScreen(HWND control, int x, int y) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(control);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(control, dc);
  return pixel;
}

const COLORREF kSchemeTwo = RGB(164, 185, 127);

TEST(XpStyle, SchemeColours) {
  EXPECT_EQ(XpFrameColour(1), RGB(123, 158, 189));
  EXPECT_EQ(XpFrameColour(2), RGB(164, 185, 127));
  EXPECT_EQ(XpFrameColour(3), RGB(198, 197, 215));
  EXPECT_EQ(XpFrameColour(0), 0u);
}

TEST(XpStyle, ButtonsCreatedBeforeAndAfterGetTheFrameAndLoseItAgain) {
  TestWindow window;
  HWND before = window.Add("Button", BS_PUSHBUTTON);
  EXPECT_EQ(CallInt(ApplyXpStyle, Int(2)), 1);
  HWND after = window.Add("Button", BS_PUSHBUTTON | BS_MULTILINE);
  HWND ownerDrawn = window.Add("Button", BS_OWNERDRAW);
  EXPECT_EQ(PixelOfPrint(before, 45, 0), kSchemeTwo);
  EXPECT_EQ(PixelOfPrint(after, 45, 0), kSchemeTwo);
  EXPECT_EQ(PixelOfPrint(after, 45, 29), kSchemeTwo);
  EXPECT_EQ(PixelOnScreen(after, 45, 0), kSchemeTwo);
  EXPECT_NE(PixelOfPrint(ownerDrawn, 45, 0), kSchemeTwo);

  EXPECT_EQ(CallInt(ApplyXpStyle, Int(0)), 1);  // the hook was removed
  EXPECT_NE(PixelOfPrint(after, 45, 0), kSchemeTwo);
  HWND later = window.Add("Button", BS_PUSHBUTTON);
  EXPECT_NE(PixelOfPrint(later, 45, 0), kSchemeTwo);
  EXPECT_EQ(CallInt(ApplyXpStyle, Int(0)), 0);  // nothing left to remove
}

TEST(XpStyle, DisabledButtonsAreDrawnWithoutTheSchemeFrame) {
  TestWindow window;
  CallInt(ApplyXpStyle, Int(2));
  HWND button = window.Add("Button", BS_PUSHBUTTON);
  EnableWindow(button, FALSE);
  EXPECT_NE(PixelOfPrint(button, 45, 0), kSchemeTwo);
  EnableWindow(button, TRUE);
  EXPECT_EQ(PixelOfPrint(button, 45, 0), kSchemeTwo);
  CallInt(ApplyXpStyle, Int(0));
}

TEST(XpStyle, ASecondSchemeReplacesTheFirst) {
  TestWindow window;
  CallInt(ApplyXpStyle, Int(1));
  HWND button = window.Add("Button", BS_PUSHBUTTON);
  EXPECT_EQ(PixelOfPrint(button, 45, 0), RGB(123, 158, 189));
  EXPECT_EQ(CallInt(ApplyXpStyle, Int(3)), 1);
  EXPECT_EQ(PixelOfPrint(button, 45, 0), RGB(198, 197, 215));
  EXPECT_EQ(CallInt(ApplyXpStyle, Int(7)), 1);
  EXPECT_NE(PixelOfPrint(button, 45, 0), RGB(198, 197, 215));
}

TEST(XpStyle, EditBoxesGetAFrameInTheSchemeColour) {
  TestWindow window;
  CallInt(ApplyXpStyle, Int(2));
  HWND edit = window.Add("Edit", 0, "", WS_EX_CLIENTEDGE);
  RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetWindowDC(edit);
  EXPECT_EQ(GetPixel(dc, 40, 0), kSchemeTwo);
  ReleaseDC(edit, dc);
  CallInt(ApplyXpStyle, Int(0));
}

}  // namespace
}  // namespace rt
