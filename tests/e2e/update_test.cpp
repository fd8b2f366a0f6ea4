// The whole update with the real CorvaneUpdater.exe: the button, the download from a server
// on loopback, stopping the running application, the install, the relaunch, and the failures
// on the way, each leaving the application's executable old or new, never anything else.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/file_hash.h"
#include "tests/driver/test_files.h"
#include "tests/e2e/update_support.h"
#include "tests/servers/nginx_fixture.h"
#include "ui/properties.h"

namespace {

using e2e::Delivery;
using e2e::kDeadlineMs;
using e2e::UpdateRun;

using Files = std::vector<std::string>;

std::string Sha256Of(const char* build) {
  const std::string path = driver::ProgramDirectory() + "\\" + build;
  return rt::CallText(rt::FileSha256, rt::TextArg(path.c_str())).c_str();
}

std::string NewApplicationSha256() { return Sha256Of("demo_app_new.exe"); }

std::string Build(const char* name) {
  return driver::ReadWholeFile(driver::ProgramDirectory() + "\\" + name).value_or("");
}

// "启动软件": the window goes at once, and the updater watches the new version without one.
void Launch(UpdateRun& update) {
  update.ClickButton();
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return IsWindowVisible(update.window()) == 0; }));
}

void CloseWindowOf(const char* title) {
  if (HWND window = driver::FindWindowByTitle(title, 0, kDeadlineMs)) PostMessageA(window, WM_CLOSE, 0, 0);
}

// The message box the updater shows next, answered; its text.
std::string AnswerMessage(UpdateRun& update) {
  const auto box = driver::WaitForMessageBox(update.updater().id(), kDeadlineMs);
  if (!box) return "<no message>";
  driver::PressOk(box->window);
  return box->text;
}

// What 标签7 shows once the whole file of `bytes` bytes is in: KB, rounded half up to two
// decimals, without trailing zeros.
std::string DownloadedLabel(size_t bytes) {
  const size_t hundredths = (bytes * 100 + 512) / 1024;
  std::string number = std::to_string(hundredths / 100);
  if (const size_t fraction = hundredths % 100; fraction != 0) {
    number += "." + std::to_string(fraction / 10) + (fraction % 10 != 0 ? std::to_string(fraction % 10) : "");
  }
  return "已下载:" + number + "KB\r\n";
}

TEST(Update, StopsTheRunningApplicationInstallsTheNewOneAndStartsIt) {
  testsrv::NginxFixture nginx;
  ASSERT_TRUE(nginx.Ok()) << nginx.Problem();
  ASSERT_TRUE(driver::WriteWholeFile(nginx.ServedFile("Corvane-new.exe"), e2e::NewApplication()));
  const std::string tag = testsrv::UniqueTag();
  UpdateRun update({.url = nginx.Url("/plain/Corvane-new.exe?t=" + tag)});
  update.Prepare();
  driver::Process& running = update.StartApplication();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());

  EXPECT_TRUE(running.WaitForExit(kDeadlineMs).has_value()) << "the old application still runs";
  EXPECT_EQ(update.ApplicationState(), "new");
  EXPECT_FALSE(update.run().Exists("更新文件.tmp"));
  EXPECT_EQ(driver::ReadProgressPosition(update.Control(ui::进度条1)), 10000);
  EXPECT_EQ(update.Text(ui::标签5), "下载完成！");
  EXPECT_EQ(update.Text(ui::标签7), DownloadedLabel(e2e::NewApplication().size()));
  const auto seen = nginx.WaitForAccess(tag, kDeadlineMs);
  ASSERT_TRUE(seen.has_value()) << "nginx saw no request";
  EXPECT_EQ(seen->request, "GET /plain/Corvane-new.exe?t=" + tag + " HTTP/1.1");
  EXPECT_EQ(seen->status, "200");
  EXPECT_EQ(seen->bodyBytesSent, std::to_string(e2e::NewApplication().size()));

  EXPECT_EQ(update.run().Read("Corvane.exe.bak"), e2e::OldApplication()) << "the way back";
  Launch(update);
  // It has started once it still runs 10 s after its start: the copy goes, and so does the updater.
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  HWND started = driver::FindWindowByTitle("Corvane 2.0", 0, kDeadlineMs);
  EXPECT_NE(started, nullptr) << "the new version did not start";
  EXPECT_EQ(update.run().Files(), (Files{"Corvane.exe", "CorvaneUpdater.exe", "zqd.ini"}));
  if (started != nullptr) PostMessageA(started, WM_CLOSE, 0, 0);
}

// A version that ends by itself with exit code 0 at once has started too.
TEST(Update, ANewVersionThatEndsWithZeroAtOnceStays) {
  Delivery delivery;
  delivery.answer = testsrv::Ok(Build("demo_app_exit0.exe"));
  UpdateRun update(delivery);
  update.Prepare();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  Launch(update);
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  EXPECT_EQ(update.run().Read("Corvane.exe"), Build("demo_app_exit0.exe"));
  EXPECT_EQ(update.run().Files(), (Files{"Corvane.exe", "CorvaneUpdater.exe", "zqd.ini"}));
}

// A new version that ends with exit code 3 at once cannot start: the old one is put back byte
// for byte and started, and the same download is refused when it is announced again, before
// anything is stopped; another one goes in.
TEST(Update, ANewVersionThatCannotStartIsRolledBackAndNotInstalledAgain) {
  std::atomic<bool> repaired{false};
  Delivery delivery;
  delivery.script = [&](const testsrv::Request&) {
    return testsrv::Ok(repaired ? e2e::NewApplication() : Build("demo_app_exit3.exe"));
  };
  UpdateRun update(delivery);
  update.Prepare();
  update.StartApplication();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  Launch(update);
  const auto box = driver::WaitForMessageBox(update.updater().id(), kDeadlineMs);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "新版本无法启动，已恢复原来的版本！");
  EXPECT_EQ(box->caption, "温馨提示");
  driver::PressOk(box->window);
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  EXPECT_EQ(update.ApplicationState(), "old");
  HWND restored = driver::FindWindowByTitle("Corvane 1.0", 0, kDeadlineMs);
  EXPECT_NE(restored, nullptr) << "the old version was not started";
  EXPECT_EQ(update.run().Files(), (Files{"Corvane.exe", "CorvaneUpdater.exe", "rollback.ini", "zqd.ini"}));
  EXPECT_EQ(update.run().Read("rollback.ini"), "[rollback]\r\nsha256=" + Sha256Of("demo_app_exit3.exe") + "\r\n");

  ASSERT_TRUE(update.run().Write("gx.ini", "[gx]\r\ngx=1\r\nxz=" + update.server().Url("/Corvane.exe") + "\r\n"));
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  EXPECT_EQ(update.WaitForOutcome(), "该版本无法启动，已拒绝安装！");
  EXPECT_TRUE(IsWindow(restored)) << "the old version was stopped";
  EXPECT_EQ(update.ApplicationState(), "old");

  repaired = true;
  ASSERT_TRUE(driver::WaitForText(update.Control(ui::按钮2), "开始更新", kDeadlineMs));
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  Launch(update);
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  EXPECT_EQ(update.ApplicationState(), "new");
  EXPECT_EQ(update.run().Files(), (Files{"Corvane.exe", "CorvaneUpdater.exe", "zqd.ini"})) << "the hash forgotten";
  CloseWindowOf("Corvane 2.0");
}

// A kept copy that cannot be moved back (another program holds it) is said so; the copy stays
// for a later repair and the failed version is remembered all the same.
TEST(Update, ANewVersionThatCannotStartAndACopyThatCannotGoBackAreSaidSo) {
  Delivery delivery;
  delivery.answer = testsrv::Ok(Build("demo_app_exit3.exe"));
  UpdateRun update(delivery);
  update.Prepare();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  e2e::FileHold held(update.run().File("Corvane.exe.bak"));
  ASSERT_TRUE(held.Ok());
  Launch(update);
  const auto box = driver::WaitForMessageBox(update.updater().id(), kDeadlineMs);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "新版本无法启动，原来的版本无法恢复！");
  EXPECT_EQ(box->caption, "温馨提示");
  driver::PressOk(box->window);
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  held.Release();
  EXPECT_EQ(update.run().Read("Corvane.exe"), Build("demo_app_exit3.exe"));
  EXPECT_EQ(update.run().Read("Corvane.exe.bak"), e2e::OldApplication());
  EXPECT_EQ(update.run().Read("rollback.ini"), "[rollback]\r\nsha256=" + Sha256Of("demo_app_exit3.exe") + "\r\n");
}

TEST(Update, ARunDirectoryWithABlankLaunchesTheRightProgram) {
  // Unquoted, ".../corvane update-N/Corvane.exe" would start ".../corvane.exe" first.
  UpdateRun update({}, "corvane update");
  const std::string decoy = update.run().path().substr(0, update.run().path().find("corvane update")) + "corvane.exe";
  ASSERT_TRUE(driver::WriteWholeFile(decoy, e2e::OldApplication()));
  update.Prepare();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  EXPECT_EQ(update.ApplicationState(), "new");
  Launch(update);
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  HWND started = driver::FindWindowByTitle("Corvane 2.0", 0, kDeadlineMs);
  EXPECT_NE(started, nullptr);
  if (started != nullptr) PostMessageA(started, WM_CLOSE, 0, 0);
  HWND decoyWindow = driver::FindWindowByTitle("Corvane 1.0", 0, 500);
  EXPECT_EQ(decoyWindow, nullptr) << "the program beside the run directory was started";
  if (decoyWindow != nullptr) PostMessageA(decoyWindow, WM_CLOSE, 0, 0);
  driver::WaitUntil(kDeadlineMs, [&] { return DeleteFileA(decoy.c_str()) != 0; });
}

TEST(Update, AnAnnouncedChecksumThatMatchesInstalls) {
  UpdateRun update;
  std::string sha256 = NewApplicationSha256();
  for (char& c : sha256) c = static_cast<char>(toupper(c));  // either case is accepted
  update.Prepare(sha256);
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  EXPECT_EQ(update.ApplicationState(), "new");
}

TEST(Update, AChecksumThatDoesNotMatchInstallsNothing) {
  UpdateRun update;
  update.Prepare(std::string(64, '0'));
  driver::Process& running = update.StartApplication();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  EXPECT_EQ(AnswerMessage(update), "下载的文件校验失败，更新失败！");
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_FALSE(running.WaitForExit(0).has_value()) << "the application was stopped";
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return update.Text(ui::按钮2) == "开始更新"; })) << "another try";
  EXPECT_NE(update.Text(ui::标签5), "下载完成！");
}

TEST(Update, AFailedDownloadLeavesTheApplicationAlone) {
  UpdateRun update(Delivery{.status = 404});
  update.Prepare();
  driver::Process& running = update.StartApplication();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  EXPECT_EQ(AnswerMessage(update), "不能打开该URL!");
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_FALSE(running.WaitForExit(0).has_value());
  EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return update.Text(ui::按钮2) == "开始更新"; })) << "another try";
  EXPECT_TRUE(IsWindowEnabled(update.Control(ui::按钮2)));
}

// The new application built for a processor that this Windows does not run (ARM64 here).
std::string NewApplicationForAnotherMachine() {
  std::string bytes = e2e::NewApplication();
  const uint32_t headers = *reinterpret_cast<const uint32_t*>(bytes.data() + 0x3C);
  bytes[headers + 4] = '\x64';
  bytes[headers + 5] = '\xAA';
  return bytes;
}

// Files that cannot be run are told apart and installed nowhere; the running application
// runs on.
TEST(Update, ADownloadThatCannotRunIsNotInstalled) {
  struct Case {
    Delivery delivery;
    const char* message;
  };
  Delivery empty, otherMachine;
  empty.empty = true;
  otherMachine.answer = testsrv::Ok(NewApplicationForAnotherMachine());
  const Case cases[] = {
      {empty, "下载的文件是空的，更新失败！"},
      {otherMachine, "下载的文件不能在本系统上运行，更新失败！"},
  };
  for (const Case& c : cases) {
    UpdateRun update(c.delivery);
    update.Prepare();
    driver::Process& running = update.StartApplication();
    ASSERT_NE(update.StartUpdater(), nullptr);
    update.ClickButton();
    EXPECT_EQ(AnswerMessage(update), c.message);
    EXPECT_EQ(update.ApplicationState(), "old");
    EXPECT_FALSE(running.WaitForExit(0).has_value()) << "the application was stopped";
  }
}

// Every copy of the run directory's Corvane.exe is stopped; the same program run from another
// folder does not hold this executable and runs on.
TEST(Update, EveryRunningInstanceIsStoppedAndNoneOfAnotherFolder) {
  UpdateRun update;
  update.Prepare();
  e2e::RunDirectory elsewhere("corvane-elsewhere");
  ASSERT_TRUE(elsewhere.Write("Corvane.exe", e2e::OldApplication()));
  driver::Process other = elsewhere.Start("Corvane.exe");
  ASSERT_NE(driver::FindWindowByTitle("Corvane 1.0", other.id(), kDeadlineMs), nullptr);
  driver::Process& first = update.StartApplication();
  driver::Process& second = update.StartApplication();
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  ASSERT_TRUE(update.WaitUntilInstalled());
  EXPECT_TRUE(first.WaitForExit(kDeadlineMs).has_value());
  EXPECT_TRUE(second.WaitForExit(kDeadlineMs).has_value());
  EXPECT_EQ(update.ApplicationState(), "new");
  EXPECT_FALSE(other.WaitForExit(0).has_value()) << "the program of another folder was stopped";
}

// An application that this user may not end (another user's, say) is left running, and its
// executable is kept; the user is asked to close it. Once it has ended, the next try installs.
TEST(Update, AnApplicationThatCannotBeEndedIsKeptRunning) {
  UpdateRun update;
  update.Prepare();
  driver::Process& running = update.StartApplication();
  ASSERT_TRUE(running.DenyEnding());
  ASSERT_NE(update.StartUpdater(), nullptr);
  const DWORD start = GetTickCount();
  update.ClickButton();
  EXPECT_EQ(AnswerMessage(update), "更新失败，请关闭主程序后重试！");
  // Told at once: the move is not tried for seconds when the application is known to run.
  std::printf("[ figure   ] told after %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_FALSE(running.WaitForExit(0).has_value()) << "the application was ended";
  running.Kill();
  EXPECT_TRUE(driver::WaitForText(update.Control(ui::按钮2), "开始更新", kDeadlineMs));
  update.ClickButton();
  EXPECT_TRUE(update.WaitUntilInstalled());
  EXPECT_EQ(update.ApplicationState(), "new");
}

// Held open by another program, the executable is kept, and the user is asked to close that
// program and try again. Once it is released, "开始更新" installs the download already made, or
// fetches it again when it has gone meanwhile; a waiting download that was changed meanwhile is
// checked again and refused, and the next try fetches it anew.
TEST(Update, AnExecutableThatCannotBeReplacedIsKeptAndTheUpdateCanBeTriedAgain) {
  enum class Meanwhile { Kept, Removed, CutShort };
  for (const Meanwhile meanwhile : {Meanwhile::Kept, Meanwhile::Removed, Meanwhile::CutShort}) {
    SCOPED_TRACE(static_cast<int>(meanwhile));
    UpdateRun update;
    update.Prepare();
    e2e::FileHold held(update.run().File("Corvane.exe"));
    ASSERT_TRUE(held.Ok());
    ASSERT_NE(update.StartUpdater(), nullptr);
    update.ClickButton();
    EXPECT_EQ(AnswerMessage(update), "更新失败，请关闭主程序后重试！");
    EXPECT_EQ(update.ApplicationState(), "old");
    EXPECT_NE(update.Text(ui::标签5), "下载完成！");
    HWND button = update.Control(ui::按钮2);
    EXPECT_TRUE(driver::WaitForText(button, "开始更新", kDeadlineMs));
    EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return IsWindowEnabled(button) != 0; }));

    held.Release();
    const std::string waiting = update.run().File("更新文件.tmp");
    if (meanwhile == Meanwhile::Removed) {
      EXPECT_TRUE(DeleteFileA(waiting.c_str()));
    }
    if (meanwhile == Meanwhile::CutShort) {
      const std::optional<std::string> whole = driver::ReadWholeFile(waiting);
      ASSERT_TRUE(whole.has_value());
      ASSERT_TRUE(driver::WriteWholeFile(waiting, whole->substr(0, whole->size() / 2)));
      update.ClickButton();
      EXPECT_EQ(AnswerMessage(update), "下载的文件不是完整的程序，更新失败！");
      EXPECT_EQ(update.ApplicationState(), "old");
      EXPECT_TRUE(driver::WaitForText(button, "开始更新", kDeadlineMs));
      EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return IsWindowEnabled(button) != 0; }));
    }
    update.ClickButton();
    ASSERT_TRUE(update.WaitUntilInstalled());
    EXPECT_EQ(update.ApplicationState(), "new");
    EXPECT_FALSE(update.run().Exists("更新文件.tmp"));
    EXPECT_EQ(update.server().Requests().size(), meanwhile == Meanwhile::Kept ? 1u : 2u);
  }
}

}  // namespace
