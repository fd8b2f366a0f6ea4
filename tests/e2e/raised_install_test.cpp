// Corvane in a folder the user cannot write: the updater asks for no rights at its start, and
// its raised install (CorvaneUpdater.exe /install download executable parent) does the one step
// that needs them. The raised run is started here directly, as a child of a running updater
// where it should be; Wine runs every program with an elevated token, so the limited one linked
// to it stands for a standard user.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/servers/signing_fixture.h"
#include "updater/raised_install.h"

namespace {

using e2e::kDeadlineMs;

std::string Bytes(const std::string& path) { return driver::ReadWholeFile(path).value_or("<missing " + path + ">"); }

// The manifest decides for the system whether to ask for rights, and for which systems the
// program was made.
TEST(UpdaterManifest, AsksForNoRightsAndNamesTheSystems) {
  const std::string program = driver::ProductDirectory() + "\\CorvaneUpdater.exe";
  HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << program;
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(image, found))), SizeofResource(image, found));
  FreeLibrary(image);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
  for (const char* system : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find("<supportedOS Id=\"" + std::string(system) + "\"/>"), std::string::npos) << system;
  }
  const std::string architecture = sizeof(void*) == 8 ? "amd64" : "x86";
  EXPECT_NE(manifest.find("processorArchitecture=\"" + architecture + "\""), std::string::npos);
}

class RaisedInstall : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(testsrv::TrustSigningRoot()); }

  void SetUp() override { ASSERT_TRUE(run_.InstallUpdater()); }

  // A running updater of the run directory, the parent a raised run must have: without a
  // hand-off file it waits at its "no update" box.
  void StartWindowProcess() {
    window_ = run_.Start("CorvaneUpdater.exe");
    ASSERT_TRUE(driver::WaitForMessageBox(window_.id(), kDeadlineMs).has_value());
  }

  // The raised run's exit code, started with `arguments` as a child of `parent`.
  std::optional<DWORD> RunRaised(const std::string& arguments, HANDLE parent, bool limited = false) {
    const driver::Process raised =
        driver::Process::StartAs("\"" + run_.File("CorvaneUpdater.exe") + "\" " + arguments, run_.path(), parent, limited);
    EXPECT_TRUE(raised.valid());
    return raised.valid() ? raised.WaitForExit(kDeadlineMs) : std::nullopt;
  }

  std::string InstallArguments(const std::string& executable, DWORD parent) {
    return "/install \"" + download_.File("更新文件.tmp") + "\" \"" + executable + "\" " + std::to_string(parent);
  }

  e2e::RunDirectory run_{"corvane-raised"};
  e2e::RunDirectory download_{"corvane-temp"};
  driver::Process window_;
};

// The install mode runs every check of today on its own copy, then installs as the window's
// process would, keeping the old version beside the new one.
TEST_F(RaisedInstall, InstallsASignedDownloadOverASignedInstallationAndRefusesAsToday) {
  struct Case {
    const char* name;
    const char* installed;
    const char* download;
    int32_t exit;
  } const cases[] = {
      {"same publisher", "old-signed.exe", "new-signed.exe", updater::kRaisedInstalled},
      {"other publisher", "old-signed.exe", "new-other.exe", updater::kRaisedRefusedFirst + 3},
      {"older release", "new-signed.exe", "old-signed.exe", updater::kRaisedRefusedFirst + 5},
      {"another program", "old-signed.exe", "new-otherproduct.exe", updater::kRaisedRefusedFirst + 6},
  };
  StartWindowProcess();
  for (const Case& c : cases) {
    ASSERT_TRUE(run_.Write("Corvane.exe", Bytes(testsrv::SigningFile(c.installed)))) << c.name;
    ASSERT_TRUE(download_.Write("更新文件.tmp", Bytes(testsrv::SigningFile(c.download)))) << c.name;
    // Held as the window's process holds it from its checks to the end of the raised run.
    HANDLE held = CreateFileA(download_.File("更新文件.tmp").c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunRaised(InstallArguments(run_.File("Corvane.exe"), window_.id()), window_.handle()),
              static_cast<DWORD>(c.exit))
        << c.name;
    CloseHandle(held);
    const bool installed = c.exit == updater::kRaisedInstalled;
    EXPECT_EQ(run_.Read("Corvane.exe"), Bytes(testsrv::SigningFile(installed ? c.download : c.installed))) << c.name;
    EXPECT_EQ(run_.Files(), installed ? (std::vector<std::string>{"Corvane.exe", "Corvane.exe.bak", "CorvaneUpdater.exe"})
                                      : (std::vector<std::string>{"Corvane.exe", "CorvaneUpdater.exe"}))
        << c.name;
    EXPECT_TRUE(download_.Exists("更新文件.tmp")) << c.name << ": the window's process removes its own file";
    DeleteFileA(run_.File("Corvane.exe.bak").c_str());
  }
}

// Nobody but the updater's own window may have a raised run do anything, and only to the
// application beside it.
TEST_F(RaisedInstall, RefusesWithoutRightsWithoutItsWindowAndForAnyOtherFile) {
  StartWindowProcess();
  const std::string oldBytes = Bytes(testsrv::SigningFile("old-signed.exe"));
  ASSERT_TRUE(run_.Write("Corvane.exe", oldBytes));
  ASSERT_TRUE(download_.Write("更新文件.tmp", Bytes(testsrv::SigningFile("new-signed.exe"))));
  ASSERT_TRUE(download_.Write("Corvane.exe", oldBytes));
  const std::string executable = run_.File("Corvane.exe");
  const DWORD parent = window_.id();
  struct Case {
    const char* name;
    std::string arguments;
    HANDLE parent;
    bool limited;
  } const cases[] = {
      {"a standard user's rights", InstallArguments(executable, parent), window_.handle(), true},
      {"started by another program", InstallArguments(executable, parent), nullptr, false},
      {"another process named as the parent", InstallArguments(executable, GetCurrentProcessId()), window_.handle(), false},
      {"an executable in another folder", InstallArguments(download_.File("Corvane.exe"), parent), window_.handle(), false},
      {"the updater itself", InstallArguments(run_.File("CorvaneUpdater.exe"), parent), window_.handle(), false},
      {"a way out of the folder", InstallArguments(run_.path() + "\\..\\Corvane.exe", parent), window_.handle(), false},
      {"a parent id that is no number", InstallArguments(executable, 0) + "x", window_.handle(), false},
      {"an argument too few", "/install \"" + executable + "\" " + std::to_string(parent), window_.handle(), false},
      {"a put-back for another folder", "/put-back \"" + download_.File("Corvane.exe") + "\" " + std::to_string(parent),
       window_.handle(), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunRaised(c.arguments, c.parent, c.limited), static_cast<DWORD>(updater::kRaisedNotPermitted)) << c.name;
    EXPECT_EQ(run_.Read("Corvane.exe"), oldBytes) << c.name;
    EXPECT_EQ(run_.Files(), (std::vector<std::string>{"Corvane.exe", "CorvaneUpdater.exe"})) << c.name;
    EXPECT_EQ(download_.Read("Corvane.exe"), oldBytes) << c.name;
  }
  // The same request from the window's process is carried out.
  EXPECT_EQ(RunRaised(InstallArguments(executable, parent), window_.handle()), static_cast<DWORD>(updater::kRaisedInstalled));
}

// The probation's way back: the failed version is remembered and the kept copy moved back.
TEST_F(RaisedInstall, PutsTheKeptCopyBackAndRemembersTheFailedVersion) {
  StartWindowProcess();
  ASSERT_TRUE(run_.Write("Corvane.exe", "new version"));
  ASSERT_TRUE(run_.Write("Corvane.exe.bak", "old version"));
  const std::string arguments = "/put-back \"" + run_.File("Corvane.exe") + "\" " + std::to_string(window_.id());
  EXPECT_EQ(RunRaised(arguments, window_.handle()), static_cast<DWORD>(updater::kRaisedPutBack));
  EXPECT_EQ(run_.Read("Corvane.exe"), "old version");
  EXPECT_EQ(run_.Read("rollback.ini"),
            "[rollback]\r\nsha256=30e4af48343ed4e5b11ac1d072de79d7b02107894975ceda841cce472a63ab33\r\n");
  EXPECT_EQ(RunRaised(arguments, window_.handle()), static_cast<DWORD>(updater::kRaisedNotPutBack)) << "no copy left";
}

}  // namespace
