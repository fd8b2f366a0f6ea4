// The start-up check of the hand-off file, with the real CorvaneUpdater.exe in fresh run
// directories: when it announces no update the user is told so and the window never shows;
// when it does, the window waits with the installed version, and the file is consumed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "ui/properties.h"

namespace {

using e2e::kDeadlineMs;

constexpr char kTemporaryFile[] = "更新文件.tmp";

class HandOff : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(run_.Install("CorvaneUpdater.exe")); }

  void WriteHandOff(const std::string& gxSection) {
    ASSERT_TRUE(run_.Write("gx.ini", "[配置]\r\n文件名=更新包.exe\r\n[gx]\r\n" + gxSection));
  }

  // Starts the updater, expects the "no update" box and answers it; the exit code.
  std::optional<DWORD> ExpectNoUpdate() {
    process_ = run_.Start("CorvaneUpdater.exe");
    const auto box = driver::WaitForMessageBox(process_.id(), kDeadlineMs);
    EXPECT_TRUE(box.has_value()) << "no message box";
    if (!box) return std::nullopt;
    EXPECT_EQ(box->wideCaption, L"温馨提示");
    EXPECT_EQ(box->wideText, L"暂未发现新版，请耐心等待！");
    EXPECT_EQ(driver::FindUpdaterWindow(process_.id(), 0), nullptr) << "the window showed";
    driver::PressOk(box->window);
    return process_.WaitForExit(kDeadlineMs);
  }

  HWND ExpectWindow() {
    process_ = run_.Start("CorvaneUpdater.exe");
    HWND window = driver::FindUpdaterWindow(process_.id(), kDeadlineMs);
    EXPECT_NE(window, nullptr) << "the window did not show";
    return window;
  }

  std::string Text(HWND window, ui::ControlId control) {
    const auto info = driver::FindControl(window, control);
    return info ? driver::ReadText(info->window) : "<no control>";
  }

  e2e::RunDirectory run_;
  driver::Process process_;
};

TEST_F(HandOff, WithoutAHandOffFileThereIsNoUpdateAndNothingIsLeft) {
  EXPECT_EQ(ExpectNoUpdate(), 0u);
  EXPECT_EQ(run_.Files(), std::vector<std::string>{"CorvaneUpdater.exe"});
}

TEST_F(HandOff, OnlyTheExactFlag1AnnouncesAnUpdate) {
  // A quoted value keeps its blank; the others are read as they stand.
  for (const char* flag : {"gx=2", "gx=true", "gx=", "gx=\" 1\"", "gx=01", "gx=1.0", "other=1"}) {
    WriteHandOff(std::string(flag) + "\r\nxz=http://127.0.0.1:9/Corvane.exe\r\n");
    ASSERT_TRUE(run_.Write(kTemporaryFile, "left over"));
    EXPECT_EQ(ExpectNoUpdate(), 0u) << flag;
    EXPECT_FALSE(run_.Exists("gx.ini")) << flag;
    EXPECT_FALSE(run_.Exists(kTemporaryFile)) << flag;
  }
}

TEST_F(HandOff, AnAnnouncedUpdateShowsTheInstalledVersionAndConsumesTheFile) {
  WriteHandOff("gx=1\r\nxz=http://127.0.0.1:9/Corvane.exe\r\n");
  ASSERT_TRUE(run_.Write("zqd.ini", "[Soft_Config]\r\nbanben=V3.1.4 测试版\r\n"));
  ASSERT_TRUE(run_.Write(kTemporaryFile, "left over"));
  HWND window = ExpectWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Text(window, ui::标签1), "本地版本号:V3.1.4 测试版");
  EXPECT_EQ(Text(window, ui::编辑框1), "更新包.exe");
  EXPECT_EQ(Text(window, ui::按钮2), "开始更新");
  EXPECT_FALSE(run_.Exists("gx.ini"));
  EXPECT_FALSE(run_.Exists(kTemporaryFile));
  EXPECT_EQ(run_.Read("zqd.ini").value_or(""), "[Soft_Config]\r\nbanben=V3.1.4 测试版\r\n") << "only read";
  driver::RequestClose(window);
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

TEST_F(HandOff, WithoutTheClientConfigurationTheVersionIsEmpty) {
  WriteHandOff("gx=1\r\n");
  HWND window = ExpectWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Text(window, ui::标签1), "本地版本号:");
  driver::RequestClose(window);
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

TEST_F(HandOff, WithoutAnAddressTheDownloadFailsAndOffersAnotherTry) {
  WriteHandOff("gx=1\r\n");
  HWND window = ExpectWindow();
  ASSERT_NE(window, nullptr);
  const auto button = driver::FindControl(window, ui::按钮2);
  ASSERT_TRUE(button);
  driver::Click(button->window);
  const auto box = driver::WaitForMessageBox(process_.id(), kDeadlineMs);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->wideCaption, L"信息：");
  EXPECT_EQ(box->wideText, L"不能打开该URL!");
  // While the box is up the update is still running; once it is answered the button offers
  // another try.
  EXPECT_EQ(driver::ReadText(button->window), "正在更新");
  EXPECT_FALSE(IsWindowEnabled(button->window));
  driver::PressOk(box->window);
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return IsWindowEnabled(button->window) != FALSE; }));
  EXPECT_EQ(driver::ReadText(button->window), "开始更新");
  EXPECT_FALSE(run_.Exists(kTemporaryFile)) << "nothing was opened";
  driver::RequestClose(window);
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

TEST_F(HandOff, LongValuesAreCutAtTheReadBuffer) {
  const std::string version(12000, 'v');
  WriteHandOff("gx=1\r\n");
  ASSERT_TRUE(run_.Write("zqd.ini", "[Soft_Config]\r\nbanben=" + version + "\r\n"));
  HWND window = ExpectWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Text(window, ui::标签1), "本地版本号:" + std::string(10239, 'v'));
  driver::RequestClose(window);
  EXPECT_EQ(process_.WaitForExit(kDeadlineMs), 0u);
}

}  // namespace
