// A stop request is for the rest of the process, so these cases have a binary of their own.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/external_functions.h"
#include "runtime/program_path.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "tests/servers/fault_server.h"
#include "updater/declared_functions.h"
#include "updater/http_download.h"

namespace updater {
namespace {

std::atomic<int> g_chunks{0};

intptr_t __stdcall CountChunk(uintptr_t, uint32_t, uintptr_t, intptr_t) {
  ++g_chunks;
  return 0;
}

bool AnyMessageBox() {
  for (HWND window : driver::TopLevelWindowsOf(GetCurrentProcessId())) {
    if (driver::ClassOf(window) == "#32770") return true;
  }
  return false;
}

TEST(HttpDownloadStop, ARunningDownloadGivesUpSilentlyAndLaterOnesDoNotStart) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  rt::SetProgramPath(self);
  rt::PrepareExternalFunctions(DeclaredFunctions, DeclaredFunctionCount);
  driver::TempDirectory dir("stop");
  const std::string target = dir / "更新文件.tmp";

  testsrv::Response slow = testsrv::Ok(testsrv::PatternBody(10240 * 400));
  slow.dripPiece = 10240;
  slow.dripDelayMs = 5;
  testsrv::FaultServer server(slow);
  std::atomic<int32_t> result{99};
  std::thread worker([&] { result = HttpDownload(server.Url("/f").c_str(), target.c_str(), CountChunk, 0, false); });
  ASSERT_TRUE(driver::WaitUntil(20000, [] { return g_chunks >= 3; }));
  RequestDownloadStop();
  const bool ended = driver::WaitUntil(10000, [&] { return result != 99; });
  ASSERT_TRUE(ended);
  worker.join();
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(AnyMessageBox());
  EXPECT_LT(g_chunks, 400);
  EXPECT_TRUE(DeleteFileA(target.c_str())) << "the local file was closed";

  EXPECT_EQ(HttpDownload(server.Url("/g").c_str(), target.c_str(), CountChunk, 0, false), -1);
  EXPECT_FALSE(driver::FileExistsAt(target));
  EXPECT_FALSE(AnyMessageBox());
}

}  // namespace
}  // namespace updater
