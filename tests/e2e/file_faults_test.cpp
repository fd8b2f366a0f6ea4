// What the run directory can do wrong: a disk that fills up during the download, an
// executable that is read-only or held open by another program, a temporary file held open
// from an earlier run. Nothing is lost, and each gives its message.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/update_support.h"
#include "tests/servers/nginx_fixture.h"
#include "ui/properties.h"

namespace {

using e2e::kDeadlineMs;
using e2e::UpdateRun;

constexpr char kCannotReplace[] = "更新失败，请关闭主程序后重试！";

// Runs the update (in the updater started here, unless it runs already) to its outcome and
// leaves by "×"; the outcome's message.
std::string UpdateAndLeave(UpdateRun& update, bool start = true) {
  if (start) EXPECT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  const std::string outcome = update.WaitForOutcome();
  driver::Click(update.Control(ui::超级按钮1));
  EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u);
  return outcome;
}

TEST(FileFaults, AFullDiskDuringTheDownloadIsAWriteError) {
  const char* disk = std::getenv("CORVANE_SMALL_DISK");
  ASSERT_NE(disk, nullptr) << "the small-disk fixture did not run";
  const std::string state = testsrv::ReadWholeFile(testsrv::WindowsPathOf(std::string(disk) + ".state"));
  if (state.rfind("mounted", 0) != 0) GTEST_SKIP() << "no small disk here: " << state;
  UpdateRun update({}, "full", testsrv::WindowsPathOf(disk));
  update.Prepare();
  EXPECT_EQ(UpdateAndLeave(update), "写文件出错!");
  EXPECT_EQ(update.ApplicationState(), "old");
}

// A folder this user cannot write (a read-only view of the run directory): the download goes to
// the temporary folder, and the install to a raised run of the updater, which Wine starts
// without asking; the folder takes no file from it either, so nothing changes, the user is
// told, and "开始更新" asks again.
TEST(FileFaults, AFolderTheUserCannotWriteIsLeftToARaisedRun) {
  const char* folder = std::getenv("CORVANE_READONLY_FOLDER");
  ASSERT_NE(folder, nullptr) << "the read-only folder fixture did not run";
  const std::string state = testsrv::ReadWholeFile(testsrv::WindowsPathOf(std::string(folder) + ".state"));
  if (state.rfind("mounted", 0) != 0) GTEST_SKIP() << "no read-only folder here: " << state;
  UpdateRun update({}, "readonly", testsrv::WindowsPathOf(std::string(folder) + ".src"));
  update.Prepare();
  const std::string& path = update.run().path();
  const std::string view = testsrv::WindowsPathOf(folder) + path.substr(path.find_last_of('\\'));
  char temporary[MAX_PATH];
  GetTempPathA(MAX_PATH, temporary);
  const std::string outside = std::string(temporary) + "更新文件.tmp";
  DeleteFileA(outside.c_str());
  ASSERT_NE(update.StartUpdater(view), nullptr);
  EXPECT_EQ(UpdateAndLeave(update, false), "无法写入软件所在的文件夹，更新失败！");
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_EQ(update.run().Files(), (std::vector<std::string>{"Corvane.exe", "CorvaneUpdater.exe", "gx.ini", "zqd.ini"}));
  EXPECT_EQ(driver::ReadWholeFile(outside), e2e::NewApplication()) << "the download waits outside for another try";
  DeleteFileA(outside.c_str());
}

TEST(FileFaults, AReadOnlyExecutableIsKept) {
  UpdateRun update;
  update.Prepare();
  const std::string executable = update.run().File("Corvane.exe");
  ASSERT_TRUE(SetFileAttributesA(executable.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(UpdateAndLeave(update), kCannotReplace);
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_NE(GetFileAttributesA(executable.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(FileFaults, AnExecutableHeldOpenIsKept) {
  UpdateRun update;
  update.Prepare();
  e2e::FileHold held(update.run().File("Corvane.exe"));
  ASSERT_TRUE(held.Ok());
  EXPECT_EQ(UpdateAndLeave(update), kCannotReplace);
  held.Release();
  EXPECT_EQ(update.ApplicationState(), "old");
}

// An ending application may hold its executable a moment longer: the move is tried again until
// it is let go of, and the update goes through.
TEST(FileFaults, AnExecutableHeldAMomentAfterTheApplicationEndedIsReplaced) {
  UpdateRun update;
  update.Prepare();
  driver::Process& application = update.StartApplication();
  e2e::FileHold held(update.run().File("Corvane.exe"));
  ASSERT_TRUE(held.Ok());
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  EXPECT_TRUE(application.WaitForExit(kDeadlineMs).has_value());
  Sleep(300);  // the updater tries the move for two seconds
  held.Release();
  EXPECT_EQ(update.WaitForOutcome(), "");
  EXPECT_EQ(update.ApplicationState(), "new");
}

// From its first check to the end of the install, the download is held: nobody writes it while
// the application is stopped and the move is tried again and again. Once the updater has given
// up it lets go; another try holds it anew, and a file that someone is writing is not taken.
TEST(FileFaults, TheDownloadIsHeldFromItsChecksToTheEndOfTheInstall) {
  UpdateRun update;
  update.Prepare();
  const std::string download = update.run().File("更新文件.tmp");
  e2e::FileHold executable(update.run().File("Corvane.exe"));
  ASSERT_TRUE(executable.Ok());
  ASSERT_NE(update.StartUpdater(), nullptr);
  update.ClickButton();
  const auto box = driver::WaitForMessageBox(update.updater().id(), kDeadlineMs);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, kCannotReplace);
  auto openForWriting = [&] {
    return CreateFileA(download.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  };
  HANDLE writer = openForWriting();
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  driver::PressOk(box->window);
  executable.Release();

  ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return update.Text(ui::按钮2) == "开始更新"; }));
  writer = openForWriting();
  ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "let go of: " << GetLastError();
  EXPECT_EQ(UpdateAndLeave(update, false), "下载的文件是空的，更新失败！");
  CloseHandle(writer);
  EXPECT_EQ(update.ApplicationState(), "old");
}

TEST(FileFaults, ATemporaryFileHeldOpenFromAnEarlierRunCannotBeWritten) {
  UpdateRun update;
  update.Prepare();
  ASSERT_TRUE(update.run().Write("更新文件.tmp", "from an earlier run"));
  HANDLE held = CreateFileA(update.run().File("更新文件.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(UpdateAndLeave(update), "不能打开本地的文件!");
  CloseHandle(held);
  EXPECT_EQ(update.ApplicationState(), "old");
  EXPECT_EQ(update.run().Read("更新文件.tmp").value_or(""), "from an earlier run");
}

}  // namespace
