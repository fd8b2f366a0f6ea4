// CorvaneUpdater.exe in a fresh run directory, driven and read from another process: the
// window's layout and texts, what the screen shows, drag anywhere, the ways out, and the
// update-log page's request.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "tests/e2e/loopback_listener.h"
#include "ui/properties.h"

namespace {

using e2e::kDeadlineMs;

class UpdaterWindow : public ::testing::Test {
 protected:
  // With an update announced the window stays open, waiting for the button.
  void SetUp() override {
    ASSERT_TRUE(run_.Install("CorvaneUpdater.exe"));
    ASSERT_TRUE(run_.Write("gx.ini", "[gx]\r\ngx=1\r\nxz=http://127.0.0.1:9/Corvane.exe\r\n"));
  }

  HWND Start(const std::string& program = "CorvaneUpdater.exe", const std::string& arguments = "") {
    process_ = run_.Start(program, arguments);
    EXPECT_TRUE(process_.valid());
    HWND window = driver::FindUpdaterWindow(process_.id(), kDeadlineMs);
    EXPECT_NE(window, nullptr) << "the window did not appear";
    return window;
  }

  e2e::RunDirectory run_;
  driver::Process process_;
};

struct ExpectedControl {
  uint32_t id;
  const char* className;
  RECT rect;  // relative to the window's client area
  bool visible;
  const char* text;        // the stored GBK bytes, which WM_GETTEXT answers in any code page
  const wchar_t* shown;    // the window text as the system keeps and shows it
};

// The controls at their absolute positions, with their initial texts.
const ExpectedControl kLayout[] = {
    {ui::标签5, "CorvaneTransLabel", {67, 124, 339, 140}, true, "下载进度：", L"下载进度："},
    {ui::标签1, "CorvaneLabel", {354, 178, 458, 194}, true, "本地版本号:", L"本地版本号:"},  // no zqd.ini
    {ui::标签6, "CorvaneLabel", {356, 238, 469, 254}, true, "文件大小:0KB", L"文件大小:0KB"},
    {ui::标签7, "CorvaneLabel", {356, 258, 469, 274}, true, "已下载:0KB", L"已下载:0KB"},
    {ui::标签8, "CorvaneLabel", {356, 278, 469, 294}, true, "所用时间:0秒", L"所用时间:0秒"},
    {ui::标签9, "CorvaneLabel", {356, 298, 469, 314}, true, "下载速度:0KB/S", L"下载速度:0KB/S"},
    {ui::标签10, "CorvaneLabel", {357, 371, 473, 387}, true, "剩余时间:", L"剩余时间:"},
    {ui::超文本浏览框1, "CorvaneHtmlViewer", {-1, 167, 331, 408}, true, nullptr, nullptr},
    {ui::外形框2, "CorvaneShapeBox", {2, 170, 498, 400}, true, "", L""},
    {ui::编辑框1, "Edit", {8, 88, 64, 112}, false, "", L""},
    {ui::超级按钮1, "CorvaneSuperBtn", {481, 3, 497, 19}, true, "×", L"\u00D7"},
    {ui::进度条1, "msctls_progress32", {2, 402, 435, 428}, true, "", L""},
    {ui::按钮2, "Button", {438, 402, 498, 428}, true, "开始更新", L"开始更新"},
};

TEST_F(UpdaterWindow, OpensCentredWithItsThirteenControlsAndTheirTexts) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  RECT frame;
  GetWindowRect(window, &frame);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - 500) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - 430) / 2;
  EXPECT_EQ(frame.left, left);
  EXPECT_EQ(frame.top, top);
  const RECT client = driver::ClientRectOnScreen(window);
  EXPECT_EQ(client.left, left) << "no border";
  EXPECT_EQ(client.right - client.left, 500);
  EXPECT_EQ(client.bottom - client.top, 430);
  EXPECT_EQ(driver::ReadWideText(window), L"Tavlor软件更新程序") << "the title on the taskbar";
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);

  // Listed in stacking order, each container before its children: the order of the table.
  const auto controls = driver::ListControls(window);
  std::vector<uint32_t> stacking;
  for (const auto& control : controls) stacking.push_back(control.id);
  EXPECT_EQ(stacking, (std::vector<uint32_t>{ui::标签5, ui::外形框2, ui::标签1, ui::标签6, ui::标签7, ui::标签8, ui::标签9,
                                             ui::标签10, ui::超文本浏览框1, ui::编辑框1, ui::超级按钮1, ui::进度条1, ui::按钮2}));
  for (const ExpectedControl& expected : kLayout) {
    SCOPED_TRACE(expected.className);
    const auto control = driver::FindControl(window, expected.id);
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->className, expected.className);
    EXPECT_EQ(control->rect.left, expected.rect.left);
    EXPECT_EQ(control->rect.top, expected.rect.top);
    EXPECT_EQ(control->rect.right, expected.rect.right);
    EXPECT_EQ(control->rect.bottom, expected.rect.bottom);
    EXPECT_EQ(control->visible, expected.visible);
    EXPECT_TRUE(control->enabled);
    if (expected.text != nullptr) {
      EXPECT_EQ(control->text, expected.text);
      EXPECT_EQ(control->wideText, expected.shown);
    }
  }
  // With every tab order 0 the last tab-stop control of the table holds the focus.
  const auto closeButton = driver::FindControl(window, ui::超级按钮1);
  ASSERT_TRUE(closeButton.has_value());
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return driver::FocusedWindow(window) == closeButton->window; }));
  const auto bar = driver::FindControl(window, ui::进度条1);
  ASSERT_TRUE(bar.has_value());
  EXPECT_EQ(driver::ReadProgressPosition(bar->window), 0);
  EXPECT_EQ(SendMessageA(bar->window, PBM_GETRANGE, FALSE, 0), 10000);
}

// Colour classes that survive JPEG decoding and font smoothing.
bool IsDarkGreen(COLORREF c) { return GetGValue(c) > GetRValue(c) + 20 && GetGValue(c) > GetBValue(c) + 10 && GetRValue(c) < 110; }
bool IsCyan(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) > 190 && GetBValue(c) > 190; }
bool IsRed(COLORREF c) { return GetRValue(c) > 190 && GetGValue(c) < 90 && GetBValue(c) < 90; }
bool IsDark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }

int Count(const driver::ScreenImage& image, RECT area, bool (*test)(COLORREF)) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += test(image.At(x, y)) ? 1 : 0;
  return count;
}

// A statistics label as a person should read it: the text drawn here with the Unicode
// function in the default GUI font's size and weight, in a face that has every one of its
// characters (asked for by the Chinese character set), black on white, left-aligned and
// vertically centred; row by row from the top. Empty when no such face exists.
std::vector<COLORREF> LabelAsWritten(const wchar_t* text, int width, int height) {
  LOGFONTW metrics{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof metrics, &metrics);
  metrics.lfCharSet = GB2312_CHARSET;
  HFONT font = CreateFontIndirectW(&metrics);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
  HGDIOBJ previousFont = SelectObject(dc, font);
  WORD glyphs[64];
  const int length = static_cast<int>(wcslen(text));
  GetGlyphIndicesW(dc, text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  const bool readable = std::none_of(glyphs, glyphs + length, [](WORD glyph) { return glyph == 0xFFFF; });
  RECT area{0, 0, width, height};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text, -1, &area, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  std::vector<COLORREF> pixels;
  for (int y = 0; readable && y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(bitmap);
  DeleteObject(font);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// How many pixels of `area` differ from `expected`.
int Differences(const driver::ScreenImage& image, RECT area, const std::vector<COLORREF>& expected) {
  int differences = 0;
  size_t i = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) differences += image.At(x, y) != expected[i++] ? 1 : 0;
  return differences;
}

TEST_F(UpdaterWindow, ScreenShowsThePictureTheLabelsAndTheCloseButtonInItsFocusColours) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  const RECT client = driver::ClientRectOnScreen(window);
  const POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return GetAncestor(WindowFromPoint(centre), GA_ROOT) == window; }))
      << "another window covers the updater's";
  std::optional<driver::ScreenImage> image;
  // The first paint may still be on its way: wait until the green band is on the screen.
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] {
    image = driver::CaptureScreen(client);
    return image && IsDarkGreen(image->At(10, 150)) && image->At(482, 4) == RGB(128, 160, 128);
  })) << "the window's picture never showed";

  // The picture covers the client area: its green band on top, its dark green frame below.
  EXPECT_TRUE(IsDarkGreen(image->At(250, 20)));
  EXPECT_TRUE(IsDarkGreen(image->At(30, 100))) << "where the hidden edit box would be";
  EXPECT_TRUE(IsDark(image->At(0, 300))) << "the frame on the left";
  // Labels and the panel are painted white; the panel's own white shows beside the labels.
  EXPECT_EQ(image->At(465, 246), RGB(255, 255, 255)) << "the end of 标签6";
  EXPECT_EQ(image->At(340, 380), RGB(255, 255, 255)) << "the panel";
  EXPECT_GT(Count(*image, {356, 238, 469, 254}, IsDark), 20) << "the text of 标签6";
  // It reads as written, whatever the system's code page.
  const std::vector<COLORREF> asWritten = LabelAsWritten(L"文件大小:0KB", 113, 16);
  ASSERT_FALSE(asWritten.empty()) << "no font of the system has the label's characters";
  EXPECT_EQ(Differences(*image, {356, 238, 469, 254}, asWritten), 0);
  // The cyan caption on the green band, and the "×" in red (it holds the focus).
  EXPECT_GT(Count(*image, {67, 124, 339, 140}, IsCyan), 20);
  EXPECT_TRUE(IsDarkGreen(image->At(70, 132))) << "the caption has no background of its own";
  EXPECT_GT(Count(*image, {481, 3, 497, 19}, IsRed), 3);
}

TEST_F(UpdaterWindow, EscEndsTheProgramWithZero) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::PressKey(window, VK_ESCAPE));
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

// Whether a pixel carries ink of black text on the white panel (font smoothing included).
bool IsInk(COLORREF c) { return std::min({GetRValue(c), GetGValue(c), GetBValue(c)}) < 200; }

// Which pixels of a band carry ink, row by row.
using InkMask = std::vector<std::vector<bool>>;

// The ink of the band `area` (client coordinates) of a captured client area.
InkMask InkOf(const driver::ScreenImage& image, const RECT& area) {
  InkMask mask;
  for (int y = area.top; y < area.bottom; ++y) {
    std::vector<bool>& row = mask.emplace_back();
    for (int x = area.left; x < area.right; ++x) row.push_back(IsInk(image.At(x, y)));
  }
  return mask;
}

// The ink of `text` drawn the way a label of size `label` draws it (the labels' font, one line,
// left-aligned, vertically centred, not clipped) on white, in a band `width` pixels wide that
// starts at the label's left edge.
InkMask ReferenceInk(const std::string& text, SIZE label, int width) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -label.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
  HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT all{0, 0, width, label.cy};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const std::string shown = text.substr(0, text.find('\r'));
  RECT area{0, 0, label.cx, label.cy};
  DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &area, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  GdiFlush();
  InkMask mask;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < label.cy; ++y) {
    std::vector<bool>& row = mask.emplace_back();
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];  // 0x00RRGGBB
      row.push_back(IsInk(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)));
    }
  }
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return mask;
}

// Where two masks differ first, as "column x, row y" of the band, or "" when they are alike.
std::string FirstDifference(const InkMask& shown, const InkMask& expected, int left, int top) {
  for (size_t y = 0; y < expected.size(); ++y)
    for (size_t x = 0; x < expected[y].size(); ++x)
      if (y >= shown.size() || x >= shown[y].size() || shown[y][x] != expected[y][x])
        return "column " + std::to_string(left + static_cast<int>(x)) + ", row " + std::to_string(top + static_cast<int>(y)) +
               (expected[y][x] ? ": ink missing" : ": ink that the text does not have");
  return "";
}

// The longest texts the progress report writes are wider than their labels (all but the
// elapsed time, which always fits): they are drawn whole, pixel for pixel as one line of the
// label's font, over the white panel to the right, while the label keeps its size and its
// text; a shorter text afterwards leaves nothing of them behind.
TEST_F(UpdaterWindow, StatisticsLabelsShowTheirWholeTexts) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  const struct {
    uint32_t id;
    const char* text;
    const char* shorter;
  } labels[] = {
      {ui::标签6, "文件大小:2097151.99KB", "文件大小:1KB"},
      {ui::标签7, "已下载:2097151.99KB\r\n", "已下载:1KB\r\n"},
      {ui::标签9, "下载速度:99999.99KB/s\r\n", "下载速度:1KB/s\r\n"},
      {ui::标签10, "剩余时间:99时59分59秒", "剩余时间:0时0分1秒"},
  };
  constexpr int kPanelEnd = 498;  // one past the white panel's last column, in the client area
  const RECT client = driver::ClientRectOnScreen(window);
  HDC screen = GetDC(nullptr);
  HGDIOBJ previousFont = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));  // the labels' font
  for (const auto& label : labels) {
    const std::string text = label.text;
    SCOPED_TRACE(text);
    const auto control = driver::FindControl(window, label.id);
    ASSERT_TRUE(control.has_value());
    const std::string shown = text.substr(0, text.find('\r'));
    SIZE extent{};
    GetTextExtentPoint32A(screen, shown.c_str(), static_cast<int>(shown.size()), &extent);
    const int textEnd = control->rect.left + extent.cx;  // one past its last column
    ASSERT_GT(textEnd, control->rect.right) << "the text fits its label: nothing to show";
    ASSERT_LE(textEnd, kPanelEnd) << "the text is wider than the panel";

    // The label and the strip beside it, up to the panel's edge.
    const RECT band{control->rect.left, control->rect.top, kPanelEnd, control->rect.bottom};
    const SIZE size{control->rect.right - control->rect.left, control->rect.bottom - control->rect.top};
    auto showsExactly = [&](const std::string& expected, std::string& difference) {
      const InkMask reference = ReferenceInk(expected, size, band.right - band.left);
      const bool painted = driver::WaitUntil(kDeadlineMs, [&] {
        const auto image = driver::CaptureScreen(client);
        difference = image ? FirstDifference(InkOf(*image, band), reference, band.left, band.top) : "no image";
        return difference.empty();
      });
      return painted;
    };
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(control->window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(label.text),
                                    SMTO_ABORTIFHUNG, 2000, &answer));
    std::string difference;
    EXPECT_TRUE(showsExactly(text, difference)) << difference;
    const auto after = driver::FindControl(window, label.id);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->rect.right - after->rect.left, control->rect.right - control->rect.left);
    EXPECT_EQ(after->text, text);

    ASSERT_TRUE(SendMessageTimeoutA(control->window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(label.shorter),
                                    SMTO_ABORTIFHUNG, 2000, &answer));
    EXPECT_TRUE(showsExactly(label.shorter, difference)) << "after the shorter text: " << difference;
  }
  SelectObject(screen, previousFont);
  ReleaseDC(nullptr, screen);
}

TEST_F(UpdaterWindow, CloseMessageFromOutsideEndsTheProgramWithZero) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::RequestClose(window));
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

// Presses at `from` (client coordinates), drags by `by` and tells where the window went.
POINT DragBy(HWND window, POINT from, POINT by) {
  const RECT client = driver::ClientRectOnScreen(window);
  const POINT start{client.left + from.x, client.top + from.y};
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return GetAncestor(WindowFromPoint(start), GA_ROOT) == window; }));
  EXPECT_TRUE(driver::MouseDrag(start, {start.x + by.x, start.y + by.y}));
  return {client.left, client.top};
}

bool WaitForWindowAt(HWND window, POINT at) {
  return driver::WaitUntil(kDeadlineMs, [&] {
    const RECT client = driver::ClientRectOnScreen(window);
    return client.left == at.x && client.top == at.y;
  });
}

TEST_F(UpdaterWindow, DraggingTheBackgroundALabelThePanelOrTheBarMovesTheWindow) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  const struct {
    const char* where;
    POINT from;
  } places[] = {
      {"the window's own picture", {200, 60}},
      {"statistics label 标签6", {360, 246}},
      {"the white panel", {340, 350}},
      {"the progress bar", {100, 415}},
  };
  POINT by{24, 16};
  for (const auto& place : places) {
    SCOPED_TRACE(place.where);
    const POINT before = DragBy(window, place.from, by);
    EXPECT_TRUE(WaitForWindowAt(window, {before.x + by.x, before.y + by.y}))
        << "the window is at " << driver::ClientRectOnScreen(window).left << ", "
        << driver::ClientRectOnScreen(window).top << " after a drag from " << before.x << ", " << before.y;
    by = {-by.x, -by.y};  // and back, so the window stays on the screen
  }
}

// Dragging on a button does not move the window: its click goes through instead (the probe's
// handlers log it), and the window stays where it was.
TEST_F(UpdaterWindow, DraggingOnTheButtonOrTheCloseButtonClicksThemAndDoesNotMove) {
  ASSERT_TRUE(run_.Install("corvane_probe.exe"));
  HWND window = Start("corvane_probe.exe", "drag");
  ASSERT_NE(window, nullptr);
  const RECT client = driver::ClientRectOnScreen(window);

  DragBy(window, {450, 410}, {8, 4});
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return run_.ReadLines("probe-events.txt").size() == 2; }));
  DragBy(window, {487, 9}, {3, 3});
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return run_.ReadLines("probe-events.txt").size() == 3; }));
  EXPECT_EQ(run_.ReadLines("probe-events.txt"), (std::vector<std::string>{"created", "update-button", "close-button"}));
  const RECT after = driver::ClientRectOnScreen(window);
  EXPECT_EQ(after.left, client.left);
  EXPECT_EQ(after.top, client.top);
}

// A point of the window's picture that no control and no other window covers, on the screen.
std::optional<POINT> UncoveredPicturePoint(HWND window) {
  const RECT client = driver::ClientRectOnScreen(window);
  for (const POINT at : {POINT{250, 40}, POINT{450, 60}, POINT{30, 150}, POINT{250, 150}}) {
    const POINT onScreen{client.left + at.x, client.top + at.y};
    if (WindowFromPoint(onScreen) == window) return onScreen;
  }
  return std::nullopt;
}

// Whenever the window is active again, the focus goes back to the control that had it (here
// the button, which a click gave it), not to the one the rule would choose; and Esc closes the
// window from there, a button not claiming the key.
TEST_F(UpdaterWindow, TheFocusComesBackToTheControlThatHadItAndEscClosesFromThere) {
  ASSERT_TRUE(run_.Install("corvane_probe.exe"));
  ASSERT_TRUE(run_.Install("demo_app_old.exe"));
  HWND window = Start("corvane_probe.exe", "drag");
  ASSERT_NE(window, nullptr);
  const auto closeButton = driver::FindControl(window, ui::超级按钮1);
  const auto button = driver::FindControl(window, ui::按钮2);
  ASSERT_TRUE(closeButton.has_value() && button.has_value());
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return driver::FocusedWindow(window) == closeButton->window; }));
  ASSERT_TRUE(driver::ClickWithMouse(button->window));
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return driver::FocusedWindow(window) == button->window; }));

  driver::Process other = run_.Start("demo_app_old.exe");
  HWND otherWindow = driver::FindWindowByTitle("Corvane 1.0", other.id(), kDeadlineMs);
  ASSERT_NE(otherWindow, nullptr);
  ASSERT_TRUE(driver::WaitUntilInFront(other, otherWindow, kDeadlineMs));
  std::optional<POINT> picture;
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return (picture = UncoveredPicturePoint(window)).has_value(); }));
  ASSERT_TRUE(driver::MouseDrag(*picture, *picture));
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return GetForegroundWindow() == window; }));
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return driver::FocusedWindow(window) == button->window; }))
      << "the focus is on " << driver::ClassOf(driver::FocusedWindow(window));

  ASSERT_TRUE(driver::PressKey(window, VK_ESCAPE));
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
  EXPECT_EQ(run_.ReadLines("probe-events.txt"),
            (std::vector<std::string>{"created", "update-button", "query-close", "query-end", "destroy",
                                      "cleanup on main thread"}));
}

TEST_F(UpdaterWindow, UpdateLogPageIsRequestedWithItsFixedPathAndQuery) {
#ifndef CORVANE_UPDATE_LOG_PORT
  GTEST_SKIP() << "the update-log host of this build is not a loopback address";
#else
  e2e::LoopbackListener server(CORVANE_UPDATE_LOG_PORT);
  ASSERT_TRUE(server.listening()) << "port " << CORVANE_UPDATE_LOG_PORT << " is taken";
  ASSERT_NE(Start(), nullptr);
  const std::string expected = "GET /zqd_api/api.php?a=uplog&apiver=903&c=0&gdata=0&softcode=1000004 HTTP/1.1";
  EXPECT_TRUE(server.WaitForRequestLine(expected, kDeadlineMs)) << "requests seen: " << server.RequestLines();
#endif
}

}  // namespace
