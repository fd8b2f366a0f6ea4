// The install in the worker's own calls, in this process: stopping the running application
// and moving the held download over its executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/held_file.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "updater/install.h"

namespace {

std::string Build(const char* name) { return driver::ProgramDirectory() + "\\" + name; }

// An application this user may not end (another user's, say) is not stopped, and the move is
// not tried while it runs; once it has ended, the same held download goes in.
TEST(Install, AnApplicationThatMayNotBeEndedIsNotMovedOver) {
  driver::TempDirectory dir("install");
  const std::string executable = dir / "Corvane.exe";
  const std::string download = dir / "更新文件.tmp";
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_old.exe"), executable));
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_new.exe"), download));
  driver::Process application = driver::Process::Start("\"" + executable + "\"", dir.path());
  ASSERT_NE(driver::FindWindowByTitle("Corvane 1.0", application.id(), 30000), nullptr);
  ASSERT_TRUE(application.DenyEnding());
  const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg(download.c_str())));
  ASSERT_TRUE(held);

  driver::DebugOutputRecorder trace;
  EXPECT_FALSE(updater::PutInPlace(held, executable.c_str()));
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            (std::vector<std::string>{
                "CorvaneUpdater: stop: a process could not be ended pid=" + std::to_string(application.id()) +
                    " error=5",
                "CorvaneUpdater: install: the application could not be stopped path=\"" + executable + "\""}));
  EXPECT_FALSE(application.WaitForExit(0).has_value());
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_old.exe")));

  application.Kill();
  ASSERT_TRUE(application.WaitForExit(10000).has_value());
  EXPECT_TRUE(updater::PutInPlace(held, executable.c_str()));
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_new.exe")));
}

}  // namespace
