#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/processes.h"
#include "runtime/threads.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

using testing::Txt;

std::string Child() { return driver::ProgramDirectory() + "\\runtime_child.exe"; }

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

TEST(RunProgram, PassesTheShowModeClampedToItsRange) {
  driver::TempDirectory dir("run");
  struct Case {
    ArgRecord mode;
    unsigned expected;
  } cases[] = {{Omitted(), SW_SHOWNORMAL}, {Int(1), SW_HIDE},        {Int(-4), SW_HIDE},
               {Int(4), SW_SHOWMAXIMIZED}, {Int(5), SW_SHOWNOACTIVATE}, {Int(99), SW_MINIMIZE}};
  for (const Case& c : cases) {
    const std::string out = dir / "mode.txt";
    DeleteFileA(out.c_str());
    ASSERT_TRUE(CallBool(RunProgram, Txt(Quoted(Child()) + " show " + Quoted(out)), Bool(true), c.mode));
    EXPECT_EQ(driver::ReadWholeFile(out).value_or(""), std::to_string(c.expected) + " 1");
  }
}

TEST(RunProgram, WaitsForTheEndOnlyWhenAsked) {
  const int32_t before = CallInt(GetUptimeMs);
  ASSERT_TRUE(CallBool(RunProgram, Txt(Quoted(Child()) + " sleep 600"), Bool(true)));
  EXPECT_GE(CallInt(GetUptimeMs) - before, 550);

  const int32_t start = CallInt(GetUptimeMs);
  ASSERT_TRUE(CallBool(RunProgram, Txt(Quoted(Child()) + " sleep 8000")));
  EXPECT_LT(CallInt(GetUptimeMs) - start, 4000) << "at most about a second for the input-idle wait";
  CallBool(KillProcess, Txt("runtime_child.exe"));
}

TEST(RunProgram, AMissingProgramIsNotStarted) {
  EXPECT_FALSE(CallBool(RunProgram, Txt("C:\\no\\such\\program.exe")));
  EXPECT_FALSE(CallBool(RunProgram, Txt("")));
}

class KillProcessTest : public ::testing::Test {
 protected:
  driver::TempDirectory dir_{"停止 kill"};  // a blank and a double-byte name
  std::string exe_ = dir_ / "Corvane.exe";

  void SetUp() override { ASSERT_TRUE(driver::CopyFileTo(Child(), exe_)); }

  driver::Process StartWindow(const std::string& title) { return StartWindowOf(exe_, title); }
  driver::Process StartWindowOf(const std::string& exe, const std::string& title) {
    return StartShowing(Quoted(exe) + " window " + Quoted(title), title);
  }
  driver::Process StartShowing(const std::string& commandLine, const std::string& title) {
    driver::Process process = driver::Process::Start(commandLine);
    EXPECT_NE(driver::FindWindowByTitle(title.c_str(), 0, 10000), nullptr) << commandLine;
    return process;
  }
};

TEST_F(KillProcessTest, ByExecutableNameInAnyLetterCase) {
  for (const char* name : {"Corvane.exe", "CORVANE.EXE", "corvane.Exe"}) {
    driver::Process process = StartWindow("kill by name");
    EXPECT_TRUE(CallBool(KillProcess, Txt(name))) << name;
    EXPECT_EQ(process.WaitForExit(5000), 0u) << name;
  }
}

TEST_F(KillProcessTest, ByWindowTitleAndById) {
  driver::Process byTitle = StartWindow("Corvane 主窗口");
  EXPECT_TRUE(CallBool(KillProcess, Txt("Corvane 主窗口")));
  EXPECT_EQ(byTitle.WaitForExit(5000), 0u);

  driver::Process byId = StartWindow("kill by id");
  EXPECT_TRUE(CallBool(KillProcess, Int(static_cast<int32_t>(byId.id()))));
  EXPECT_EQ(byId.WaitForExit(5000), 0u);

  driver::Process byDouble = StartWindow("kill by double");
  EXPECT_TRUE(CallBool(KillProcess, Double(byDouble.id() + 0.75)));
  EXPECT_EQ(byDouble.WaitForExit(5000), 0u);
}

TEST_F(KillProcessTest, OnlyOneOfSeveral) {
  driver::Process first = StartWindow("first");
  driver::Process second = StartWindow("second");
  EXPECT_TRUE(CallBool(KillProcess, Txt("Corvane.exe")));
  EXPECT_TRUE(driver::WaitUntil(5000, [&] { return !!first.WaitForExit(0) || !!second.WaitForExit(0); }));
  EXPECT_TRUE(!first.WaitForExit(0) != !second.WaitForExit(0)) << "exactly one ends";
  first.Kill();
  second.Kill();
}

// Every copy of one executable, however its path is spelled, is ended and waited for; the same
// program from another folder runs on.
TEST_F(KillProcessTest, StoppingAnExecutableEndsEveryCopyOfItAndNoOther) {
  driver::TempDirectory otherDir("kill");
  ASSERT_TRUE(driver::CopyFileTo(Child(), otherDir / "Corvane.exe"));
  driver::Process elsewhere = driver::Process::Start(Quoted(otherDir / "Corvane.exe") + " window elsewhere");
  ASSERT_NE(driver::FindWindowByTitle("elsewhere", 0, 10000), nullptr);

  driver::Process first = StartWindow("first");
  driver::Process second = StartWindow("second");
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(exe_), Int(5000)), 2);
  EXPECT_EQ(first.WaitForExit(0), 0u);
  EXPECT_EQ(second.WaitForExit(0), 0u);

  char shortPath[MAX_PATH] = "";
  GetShortPathNameA(exe_.c_str(), shortPath, MAX_PATH);
  for (const std::string& spelling : {dir_.path() + "\\\\corvane.EXE", std::string(shortPath)}) {
    driver::Process copy = StartWindow(spelling);
    EXPECT_EQ(CallInt(StopProcessesOf, Txt(spelling), Int(5000)), 1) << spelling;
    EXPECT_EQ(copy.WaitForExit(0), 0u) << spelling;
    driver::Process started = StartWindowOf(spelling, "started as " + spelling);
    EXPECT_EQ(CallInt(StopProcessesOf, Txt(exe_), Int(5000)), 1) << "started as " << spelling;
    EXPECT_EQ(started.WaitForExit(0), 0u) << spelling;
  }
  // A name longer than 8.3 has a short one of its own, by which the copy may be started.
  const std::string longName = dir_ / "CorvaneApplication.exe";
  ASSERT_TRUE(driver::CopyFileTo(Child(), longName));
  char shortName[MAX_PATH] = "";
  ASSERT_GT(GetShortPathNameA(longName.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_EQ(std::string(shortName).find("CorvaneApplication"), std::string::npos) << shortName;
  driver::Process byShortName = StartWindowOf(shortName, "started by its short name");
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(longName), Int(5000)), 1) << shortName;
  EXPECT_EQ(byShortName.WaitForExit(0), 0u) << shortName;
  EXPECT_FALSE(elsewhere.WaitForExit(0).has_value()) << "the program of another folder was ended";
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(otherDir / "Corvane.exe"), Int(5000)), 1);
}

// A copy that may not be ended is a refusal, and it runs on; copies that could be ended are.
TEST_F(KillProcessTest, StoppingACopyThatMayNotBeEndedIsRefused) {
  driver::Process endable = StartWindow("endable");
  driver::Process protectedCopy = StartWindow("may not be ended");
  ASSERT_TRUE(protectedCopy.DenyEnding());
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(exe_), Int(5000)), -1);
  EXPECT_FALSE(protectedCopy.WaitForExit(0).has_value());
  EXPECT_TRUE(endable.WaitForExit(5000).has_value());
  protectedCopy.Kill();
  EXPECT_TRUE(protectedCopy.WaitForExit(5000).has_value());
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(exe_), Int(5000)), 0) << "none left";
}

// A copy with a window is asked to close and given 5 s to end by itself, so that it can save
// its work; one that ignores the request is ended after them, one without a window at once. The
// same program of another folder is not asked.
TEST_F(KillProcessTest, StoppingAsksEveryWindowToCloseFirst) {
  driver::TempDirectory otherDir("close");
  ASSERT_TRUE(driver::CopyFileTo(Child(), otherDir / "Corvane.exe"));
  const std::string saved = dir_ / "saved.txt", savedElsewhere = otherDir / "saved.txt";
  driver::Process elsewhere =
      StartShowing(Quoted(otherDir / "Corvane.exe") + " save elsewhere " + Quoted(savedElsewhere), "elsewhere");
  driver::Process saving = StartShowing(Quoted(exe_) + " save saving " + Quoted(saved), "saving");
  driver::Process slow = StartShowing(Quoted(exe_) + " slowclose 1000 slow", "slow");
  driver::Process deaf = StartShowing(Quoted(exe_) + " deaf deaf", "deaf");
  // Started last: if it were waited for, it would end by itself (exit code 3) within the 5 s.
  driver::Process windowless = driver::Process::Start(Quoted(exe_) + " sleep 3000");

  driver::DebugOutputRecorder trace;
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(exe_), Int(5000)), 4);
  EXPECT_EQ(driver::ReadWholeFile(saved), "saved");
  EXPECT_EQ(saving.WaitForExit(0), 5u) << "its own end";
  EXPECT_EQ(slow.WaitForExit(0), 6u) << "its own end, a second after the request";
  EXPECT_EQ(deaf.WaitForExit(0), 0u);
  EXPECT_EQ(windowless.WaitForExit(0), 0u) << "ended at once";
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            (std::vector<std::string>{"CorvaneUpdater: stop: asked to close, still running pid=" +
                                      std::to_string(deaf.id())}));
  EXPECT_FALSE(elsewhere.WaitForExit(0).has_value());
  EXPECT_FALSE(driver::ReadWholeFile(savedElsewhere).has_value());
  elsewhere.Kill();
}

TEST(KillProcess, NothingToKill) {
  EXPECT_FALSE(CallBool(KillProcess, Txt("")));
  EXPECT_FALSE(CallBool(KillProcess, Txt("NoSuchProgram.exe")));
  EXPECT_FALSE(CallBool(KillProcess, Int(0)));
  EXPECT_FALSE(CallBool(KillProcess, Bool(true)));
  EXPECT_EQ(CallInt(StopProcessesOf, Txt(""), Int(0)), 0);
  EXPECT_EQ(CallInt(StopProcessesOf, Txt("C:\\no\\such\\Corvane.exe"), Int(0)), 0);
}

LONG g_threadRuns = 0;

uint32_t __stdcall CountRun(void* parameter) {
  InterlockedExchangeAdd(&g_threadRuns, static_cast<LONG>(reinterpret_cast<intptr_t>(parameter)));
  return 0;
}

TEST(Threads, StartWithAndWithoutTheHandleVariable) {
  g_threadRuns = 0;
  int32_t handle = 0;
  EXPECT_TRUE(CallBool(StartThread, ThreadRoutineArg(CountRun), Int(5), IntRef(&handle)));
  ASSERT_NE(handle, 0);
  const auto thread = LongToHandle(handle);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);  // the handle stayed open
  CloseHandle(thread);
  EXPECT_EQ(g_threadRuns, 5);

  EXPECT_TRUE(CallBool(StartThread, ThreadRoutineArg(CountRun)));  // no parameter: 0, handle closed
  EXPECT_TRUE(CallBool(StartThread, ThreadRoutineArg(CountRun), Int(1)));
  EXPECT_TRUE(driver::WaitUntil(5000, [] { return g_threadRuns == 6; }));
}

TEST(Threads, KillingNothingFails) {
  EXPECT_FALSE(CallBool(KillThread, Int(0)));
}

TEST(Threads, KillingAThreadBlockedInAReadLetsTheProcessEnd) {
  driver::Process child = driver::Process::Start(Quoted(Child()) + " killreader");
  EXPECT_EQ(child.WaitForExit(10000), 7u);
}

HWND g_receiver = nullptr;

uint32_t __stdcall SendToTheWaiter(void*) {
  Sleep(50);
  SendMessageA(g_receiver, WM_NULL, 0, 0);  // answered only while the waiter handles messages
  return 0;
}

TEST(Threads, WaitingForAThreadEndHandlesWhatItSends) {
  g_receiver = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  int32_t handle = 0;
  CallBool(StartThread, ThreadRoutineArg(SendToTheWaiter), Omitted(), IntRef(&handle));
  EXPECT_TRUE(CallBool(WaitForThreadEnd, Int(handle), Int(10000)));
  CloseHandle(LongToHandle(handle));
  DestroyWindow(g_receiver);
  EXPECT_TRUE(CallBool(WaitForThreadEnd, Int(0), Int(0)));
}

uint32_t __stdcall SleepLong(void*) {
  Sleep(5000);
  return 0;
}

TEST(Threads, WaitingForAThreadEndGivesUpAtItsLimit) {
  int32_t handle = 0;
  CallBool(StartThread, ThreadRoutineArg(SleepLong), Omitted(), IntRef(&handle));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(CallBool(WaitForThreadEnd, Int(handle), Int(200)));
  EXPECT_LT(GetTickCount() - start, 3000u);
  CallBool(KillThread, Int(handle));
}

TEST(Threads, AnArmedDeadlineEndsAProcessThatWouldWaitForEver) {
  driver::Process child = driver::Process::Start(Quoted(Child()) + " deadline");
  EXPECT_EQ(child.WaitForExit(10000), 9u);
}

TEST(Uptime, FollowsTheTickCount) {
  const auto ticks = static_cast<int32_t>(GetTickCount());
  EXPECT_LE(CallInt(GetUptimeMs) - ticks, 1000);
}

}  // namespace
}  // namespace rt
