// The program's lifecycle, driven from outside: corvane_probe is the updater's window and
// lifecycle with handlers that log what runs (probe-events.txt) and, by mode, end the program
// from a second thread or fail fatally.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"
#include "ui/properties.h"

namespace {

using e2e::kDeadlineMs;
using Lines = std::vector<std::string>;

constexpr DWORD kFatalExitCode = 0xFFFFFFFF;  // -1
constexpr char kEvents[] = "probe-events.txt";

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(run_.Install("corvane_probe.exe")); }

  // Starts the probe and waits for its window.
  HWND Start(const std::string& mode = "") {
    probe_ = run_.Start("corvane_probe.exe", mode);
    EXPECT_TRUE(probe_.valid());
    HWND window = driver::FindUpdaterWindow(probe_.id(), kDeadlineMs);
    EXPECT_NE(window, nullptr) << "the probe's window did not appear";
    return window;
  }

  // The fatal report's box: caption "错误", the message in its text, as the box shows them;
  // pressed OK.
  void ExpectFatalReport(const std::wstring& message) {
    const auto box = driver::WaitForMessageBox(probe_.id(), kDeadlineMs);
    ASSERT_TRUE(box.has_value()) << "no error box";
    EXPECT_EQ(box->wideCaption, L"错误");
    EXPECT_NE(box->wideText.find(L"运行时出错!"), std::wstring::npos) << box->text;
    EXPECT_NE(box->wideText.find(message), std::wstring::npos) << box->text;
    EXPECT_TRUE(driver::PressOk(box->window));
  }

  std::optional<DWORD> ExitCode() { return probe_.WaitForExit(kDeadlineMs); }
  Lines Events() const { return run_.ReadLines(kEvents); }

  e2e::RunDirectory run_;
  driver::Process probe_;
};

TEST_F(Lifecycle, EscAsksBothCloseQuestionsThenRaisesDestroyAndEndsWithZero) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::PressEscape(window));
  EXPECT_EQ(ExitCode(), 0u);
  // The cleanup was registered twice and runs once, on the main thread, after the destroy event.
  EXPECT_EQ(Events(), (Lines{"created", "query-close", "query-end", "destroy", "cleanup on main thread"}));
}

TEST_F(Lifecycle, CloseMessageFromOutsideEndsLikeEsc) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::RequestClose(window));
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_EQ(Events(), (Lines{"created", "query-close", "query-end", "destroy", "cleanup on main thread"}));
}

TEST_F(Lifecycle, CloseButtonEndsWithoutTheDestroyEvent) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  const auto closeButton = driver::FindControl(window, ui::超级按钮1);
  ASSERT_TRUE(closeButton.has_value());
  ASSERT_TRUE(driver::Click(closeButton->window));
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_EQ(Events(), (Lines{"created", "close-button", "cleanup on main thread"}));
}

TEST_F(Lifecycle, EndOfSessionAsksTheQuestionAndLetsItEnd) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, kDeadlineMs, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(Events(), (Lines{"created", "query-end"}));
}

TEST_F(Lifecycle, LoadingTheStartWindowAgainKeepsTheOneThatExists) {
  HWND window = Start("load-again");
  ASSERT_NE(window, nullptr);
  const auto button = driver::FindControl(window, ui::按钮2);
  ASSERT_TRUE(button.has_value());
  ASSERT_TRUE(driver::Click(button->window));
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return Events().size() == 2; }));
  ASSERT_TRUE(driver::RequestClose(window));
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_EQ(Events(), (Lines{"created", "update-button", "query-close", "query-end", "destroy", "cleanup on main thread"}));
  EXPECT_EQ(driver::FindUpdaterWindow(probe_.id(), 0), nullptr);
}

TEST_F(Lifecycle, EndProgramOnASecondThreadEndsThroughTheMainThread) {
  Start("end-on-thread");
  EXPECT_EQ(ExitCode(), 0u);
  // The thread never returned from EndProgram; the cleanup ran on the main thread.
  EXPECT_EQ(Events(), (Lines{"created", "cleanup on main thread"}));
}

TEST_F(Lifecycle, EndProgramInTheCreatedHandlerEndsBeforeTheWindowIsShown) {
  probe_ = run_.Start("corvane_probe.exe", "end-in-created");
  ASSERT_TRUE(probe_.valid());
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_EQ(Events(), (Lines{"created", "cleanup on main thread"}));
}

TEST_F(Lifecycle, FatalErrorInAHandlerReportsRunsNoHandlerWhileOpenAndSkipsTheCleanup) {
  HWND window = Start("fatal-on-click");
  ASSERT_NE(window, nullptr);
  const auto button = driver::FindControl(window, ui::按钮2);
  ASSERT_TRUE(button.has_value());
  ASSERT_TRUE(driver::Click(button->window));
  const auto box = driver::WaitForMessageBox(probe_.id(), kDeadlineMs);
  ASSERT_TRUE(box.has_value());
  // While the report is open a close request reaches no handler.
  ASSERT_TRUE(driver::RequestClose(window));
  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return !IsWindow(window); }));
  ExpectFatalReport(L"不能整除于零");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
  EXPECT_EQ(Events(), (Lines{"created", "update-button"}));
}

TEST_F(Lifecycle, FatalErrorOnAWorkerThreadEndsTheProgramWithMinusOne) {
  Start("fatal-on-thread");
  ExpectFatalReport(L"不能整除于零");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
  EXPECT_EQ(Events(), (Lines{"created"}));
}

TEST_F(Lifecycle, FatalErrorInTheCreatedHandlerEndsBeforeTheWindowIsShown) {
  probe_ = run_.Start("corvane_probe.exe", "fatal-in-created");
  ExpectFatalReport(L"不能整除于零");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
  EXPECT_EQ(Events(), (Lines{"created"}));
}

TEST_F(Lifecycle, PropertyOfAFormThatIsNotLoadedIsFatal) {
  probe_ = run_.Start("corvane_probe.exe", "unknown-form");
  ExpectFatalReport(L"未载入欲访问窗口组件所在的窗口");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
}

TEST_F(Lifecycle, StartWindowThatIsNotLoadedIsFatal) {
  probe_ = run_.Start("corvane_probe.exe", "unknown-start-window");
  ExpectFatalReport(L"载入启动窗口失败");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
}

TEST_F(Lifecycle, CaptionWriteAfterTheWindowHasGoneIsFatalEvenInsideTheEnd) {
  HWND window = Start("write-after-end");
  ASSERT_NE(window, nullptr);
  const auto closeButton = driver::FindControl(window, ui::超级按钮1);
  ASSERT_TRUE(closeButton.has_value());
  // The close button's handler ends the program; its cleanup then writes to the gone window.
  ASSERT_TRUE(driver::Click(closeButton->window));
  ExpectFatalReport(L"指定窗口尚未载入");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
  EXPECT_EQ(Events(), (Lines{"created", "close-button", "cleanup on main thread"}));
}

TEST_F(Lifecycle, BrokenFormDataIsFatalAtStart) {
  ASSERT_TRUE(run_.Install("corvane_probe_bad_form.exe"));
  probe_ = run_.Start("corvane_probe_bad_form.exe");
  ExpectFatalReport(L"载入窗口模板数据段出错!");
  EXPECT_EQ(ExitCode(), kFatalExitCode);
}

TEST_F(Lifecycle, RelativeFilesResolveNextToTheProgramWhenStartedElsewhere) {
  e2e::RunDirectory elsewhere;
  probe_ = driver::Process::Start("\"" + run_.File("corvane_probe.exe") + "\" end-in-created", elsewhere.path());
  ASSERT_TRUE(probe_.valid());
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_TRUE(run_.Exists(kEvents));
  EXPECT_FALSE(elsewhere.Exists(kEvents));
}

}  // namespace
