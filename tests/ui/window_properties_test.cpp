// The property service on the real window, in this process: what a write stores, what it reads
// back, and what the live controls and the screen then show, for writes from the window's own
// thread and from a worker thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <thread>

#include "runtime/args.h"
#include "runtime/memory.h"
#include "runtime/owned.h"
#include "tests/driver/driver.h"
#include "ui/controls.h"
#include "ui/form_instance.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {

constexpr DWORD kDeadlineMs = 10000;

// Runs the window's messages until `condition` holds or the deadline passes.
template <typename Condition>
bool PumpUntil(Condition&& condition, DWORD timeoutMs = kDeadlineMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Joins a thread while the window keeps running its messages; false when it does not end in time.
bool JoinPumping(std::thread& thread, bool& done) {
  const bool ended = PumpUntil([&] { return done; });
  thread.join();
  return ended;
}

// The text a system control keeps for itself (read without a message, so not our stored one).
std::string OwnTextOf(HWND control) {
  wchar_t wide[128] = L"";
  InternalGetWindowText(control, wide, 128);
  char text[256] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

void Write(ui::ControlId control, int32_t number, const rt::ArgRecord& value) {
  ui::WriteProperty(ui::UpdaterForm, control, number, ui::WholeProperty, value);
}

int32_t ReadInt(ui::ControlId control, int32_t number) {
  return ui::ReadProperty(ui::UpdaterForm, control, number, ui::WholeProperty).AsInt();
}

rt::OwnedText ReadText(ui::ControlId control, int32_t number) {
  return rt::OwnedText(ui::ReadProperty(ui::UpdaterForm, control, number, ui::WholeProperty).AsText());
}

class WindowProperties : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    form_ = &ui::LoadForm(ui::UpdaterFormDef());
    ASSERT_NE(ui::CreateFormWindow(*form_), nullptr);
    ui::ShowFormWindow(*form_);
  }
  static void TearDownTestSuite() { ui::DestroyFormWindows(); }

  static HWND Live(ui::ControlId control) { return form_->Find(control)->window.load(); }

  static std::optional<driver::ScreenImage> Capture(ui::ControlId control) {
    HWND window = Live(control);
    UpdateWindow(form_->window());
    UpdateWindow(window);
    RECT area;
    GetWindowRect(window, &area);
    const POINT centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    if (!PumpUntil([&] { return WindowFromPoint(centre) == window; })) return std::nullopt;
    return driver::CaptureScreen(area);
  }

  static ui::FormInstance* form_;
};

ui::FormInstance* WindowProperties::form_ = nullptr;

TEST_F(WindowProperties, BarKeepsPositionsUpTo32767AndShowsThemWithinItsRange) {
  HWND bar = Live(ui::进度条1);
  const struct {
    int32_t written, stored, shown;
  } cases[] = {{12345, 12345, 10000}, {-5, 0, 0}, {40000, 32767, 10000}, {10000, 10000, 10000}, {4321, 4321, 4321}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    Write(ui::进度条1, ui::prop::BarPosition, rt::Int(c.written));
    EXPECT_EQ(ReadInt(ui::进度条1, ui::prop::BarPosition), c.stored);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), c.shown);
  }
}

TEST_F(WindowProperties, WorkerWritesAreStoredAtOnceAndShownWithoutTheWorkerWaiting) {
  Write(ui::进度条1, ui::prop::BarPosition, rt::Int(0));
  Write(ui::按钮2, ui::prop::ButtonCaption, rt::TextArg("开始更新"));
  bool done = false;
  // The window's thread runs no messages while the worker writes: a write that waited for
  // it would never return.
  std::thread worker([&] {
    Write(ui::进度条1, ui::prop::BarPosition, rt::Int(777));
    Write(ui::按钮2, ui::prop::ButtonCaption, rt::TextArg("正在更新"));
    Write(ui::按钮2, ui::prop::Disabled, rt::Bool(true));
    EXPECT_EQ(ReadInt(ui::进度条1, ui::prop::BarPosition), 777);
    EXPECT_STREQ(ReadText(ui::按钮2, ui::prop::ButtonCaption).c_str(), "正在更新");
    done = true;
  });
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return done; })) << "a worker write waited for the window";
  worker.join();

  // Other programs read the stored caption before the button has taken it.
  char answered[64] = "";
  SendMessageA(Live(ui::按钮2), WM_GETTEXT, sizeof answered, reinterpret_cast<LPARAM>(answered));
  EXPECT_STREQ(answered, "正在更新");

  HWND bar = Live(ui::进度条1);
  HWND button = Live(ui::按钮2);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == 777; }));
  EXPECT_TRUE(PumpUntil([&] { return OwnTextOf(button) == "正在更新" && !IsWindowEnabled(button); }))
      << "the system button never took the caption and the disabled state";
  Write(ui::按钮2, ui::prop::Disabled, rt::Bool(false));
  EXPECT_TRUE(IsWindowEnabled(button));
}

TEST_F(WindowProperties, ManyWorkerWritesEndWithTheLastValueShown) {
  bool done = false;
  std::thread worker([&] {
    char text[32];
    for (int i = 0; i <= 3000; ++i) {
      std::snprintf(text, sizeof text, "已下载:%dKB", i);
      Write(ui::标签7, ui::prop::Caption, rt::TextArg(text));
      Write(ui::进度条1, ui::prop::BarPosition, rt::Int(i * 3));
    }
    done = true;
  });
  ASSERT_TRUE(JoinPumping(worker, done));
  HWND label = Live(ui::标签7);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(Live(ui::进度条1), PBM_GETPOS, 0, 0) == 9000; }));
  char answered[64] = "";
  SendMessageA(label, WM_GETTEXT, sizeof answered, reinterpret_cast<LPARAM>(answered));
  EXPECT_STREQ(answered, "已下载:3000KB");
}

// Runs `writes` on a worker thread and waits for it, without running the window's messages.
template <typename Writes>
void WriteFromWorker(Writes&& writes) {
  std::thread worker(writes);
  worker.join();
}

// Whether any part of rect (in window's client coordinates) is still to be painted.
bool AwaitsPainting(HWND window, const RECT& rect) {
  HRGN waiting = CreateRectRgn(0, 0, 0, 0);
  const bool any = GetUpdateRgn(window, waiting, FALSE) != NULLREGION && RectInRegion(waiting, &rect);
  DeleteObject(waiting);
  return any;
}

// A statistics text that runs past its label is drawn partly by the label and partly by the
// panel beneath: both parts are painted by the time the window has taken the worker's writes,
// so no frame shows the text cut at the label's edge.
TEST_F(WindowProperties, ALabelAndItsOverflowArePaintedTogether) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    WriteFromWorker([round] {
      Write(ui::标签9, ui::prop::Caption, rt::TextArg(round % 2 ? "下载速度:0KB/S" : "下载速度:123456.78KB/s\r\n"));
    });
    HWND label = Live(ui::标签9);
    HWND panel = GetParent(label);
    RECT place, panelArea;
    GetWindowRect(label, &place);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&place), 2);
    GetClientRect(panel, &panelArea);
    const RECT strip{place.right, place.top, panelArea.right, place.bottom};
    ui::ApplyPendingStates(*form_);
    EXPECT_FALSE(GetUpdateRect(label, nullptr, FALSE)) << "the label is left to paint";
    EXPECT_FALSE(AwaitsPainting(panel, strip)) << "the text past the label's edge is left to paint";
  }
}

// The button is not held back to the statistics' pace: right after a label was shown, a worker's
// change of the button is shown when the window takes it, not a frame later.
TEST_F(WindowProperties, TheButtonIsShownAtOnceWhileStatisticsArePaced) {
  HWND button = Live(ui::按钮2);
  WriteFromWorker([] { Write(ui::按钮2, ui::prop::Disabled, rt::Bool(true)); });
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowEnabled(button); }));
  WriteFromWorker([] { Write(ui::标签7, ui::prop::Caption, rt::TextArg("已下载:1KB\r\n")); });
  ui::ApplyPendingStatesPaced(*form_);
  WriteFromWorker([] { Write(ui::按钮2, ui::prop::Disabled, rt::Bool(false)); });
  ui::ApplyPendingStatesPaced(*form_);
  EXPECT_TRUE(IsWindowEnabled(button));
}

bool AllWhite(const driver::ScreenImage& image) {
  for (COLORREF pixel : image.pixels) {
    if (pixel != RGB(255, 255, 255)) return false;
  }
  return true;
}

TEST_F(WindowProperties, NullCaptionEmptiesTheLabelAndItsBackgroundStaysWhite) {
  Write(ui::标签6, ui::prop::Caption, rt::TextArg("文件大小:0KB"));
  const auto withText = Capture(ui::标签6);
  ASSERT_TRUE(withText.has_value());
  EXPECT_FALSE(AllWhite(*withText));
  Write(ui::标签6, ui::prop::Caption, rt::Pointer(nullptr, rt::TypeTag::Text));
  EXPECT_EQ(ReadText(ui::标签6, ui::prop::Caption).get(), nullptr) << "an empty text reads back as null";
  EXPECT_EQ(SendMessageA(Live(ui::标签6), WM_GETTEXTLENGTH, 0, 0), 0);
  const auto empty = Capture(ui::标签6);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(AllWhite(*empty));
  Write(ui::标签6, ui::prop::Caption, rt::TextArg("文件大小:0KB"));
}

TEST_F(WindowProperties, ShorterProgressCaptionLeavesNoTraceOfALongerOne) {
  Write(ui::标签5, ui::prop::Caption, rt::TextArg("下载进度："));
  const auto before = Capture(ui::标签5);
  Write(ui::标签5, ui::prop::Caption, rt::TextArg("下载进度：100%　剩余时间不多了，请稍候"));
  const auto longer = Capture(ui::标签5);
  Write(ui::标签5, ui::prop::Caption, rt::TextArg("下载进度："));
  const auto after = Capture(ui::标签5);
  ASSERT_TRUE(before && longer && after);
  EXPECT_NE(longer->pixels, before->pixels);
  EXPECT_EQ(after->pixels, before->pixels);
}

TEST_F(WindowProperties, DisabledRoundTripsForAnyKind) {
  for (const ui::ControlId control : {ui::按钮2, ui::标签1, ui::超级按钮1}) {
    SCOPED_TRACE(control);
    Write(control, ui::prop::Disabled, rt::Int(5));
    EXPECT_EQ(ReadInt(control, ui::prop::Disabled), 1);
    EXPECT_FALSE(IsWindowEnabled(Live(control)));
    Write(control, ui::prop::Disabled, rt::Int(0));
    EXPECT_EQ(ReadInt(control, ui::prop::Disabled), 0);
    EXPECT_TRUE(IsWindowEnabled(Live(control)));
  }
}

TEST_F(WindowProperties, CommonPropertiesReachTheLiveControl) {
  Write(ui::标签9, ui::prop::Left, rt::Int(300));
  Write(ui::标签9, ui::prop::Visible, rt::Bool(false));
  RECT rect;
  GetWindowRect(Live(ui::标签9), &rect);
  MapWindowPoints(nullptr, GetParent(Live(ui::标签9)), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(ReadInt(ui::标签9, ui::prop::Left), 300);
  EXPECT_FALSE(IsWindowVisible(Live(ui::标签9)));
  Write(ui::标签9, ui::prop::Left, rt::Int(354));
  Write(ui::标签9, ui::prop::Visible, rt::Bool(true));
  EXPECT_TRUE(IsWindowVisible(Live(ui::标签9)));

  Write(ui::编辑框1, ui::prop::Tag, rt::TextArg("tag"));
  EXPECT_STREQ(ReadText(ui::编辑框1, ui::prop::Tag).c_str(), "tag");
  Write(ui::编辑框1, ui::prop::Content, rt::TextArg("Corvane.exe"));
  EXPECT_STREQ(ReadText(ui::编辑框1, ui::prop::Content).c_str(), "Corvane.exe");
  char shown[32] = "";
  GetWindowTextA(Live(ui::编辑框1), shown, sizeof shown);
  EXPECT_STREQ(shown, "Corvane.exe");
}

TEST_F(WindowProperties, TextReadsAreNewCopiesAndUnknownNumbersAreIgnored) {
  const rt::OwnedText first = ReadText(ui::标签1, ui::prop::Caption);
  const rt::OwnedText second = ReadText(ui::标签1, ui::prop::Caption);
  ASSERT_NE(first.get(), nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_STREQ(first.c_str(), second.c_str());

  Write(ui::标签1, 99, rt::Int(7));
  EXPECT_EQ(ReadInt(ui::标签1, 99), 0);
  Write(ui::外形框2, ui::prop::Caption, rt::TextArg("no caption here"));
  EXPECT_EQ(ReadInt(ui::外形框2, ui::prop::Caption), 0);
}

// The program's manifest makes the system load comctl32 from the common-controls 6 assembly.
TEST(Manifest, AsksForVersion6OfTheCommonControls) {
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  ASSERT_TRUE(FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                       &redirection));
  char path[MAX_PATH] = "";
  GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path);
  EXPECT_NE(std::string(CharLowerA(path)).find("common-controls"), std::string::npos) << path;
}

}  // namespace
