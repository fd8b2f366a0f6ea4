#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "runtime/external_functions.h"
#include "runtime/program_path.h"
#include "tests/runtime/runtime_test_support.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"

namespace rt {
namespace {

using testing::FatalProbeEnd;

std::string ProbeA() { return driver::ProgramDirectory() + "\\corvane_probe_a.dll"; }
std::string ProbeB() { return driver::ProgramDirectory() + "\\corvane_probe_b.dll"; }

class ExternalFunctionTest : public ::testing::Test {
 protected:
  driver::TempDirectory runDir_{"extern"};
  void SetUp() override { SetProgramPath((runDir_.path() + "\\CorvaneUpdater.exe").c_str()); }
  void TearDown() override { UnloadExternalLibraries(); }
};

TEST_F(ExternalFunctionTest, TheFirstCallBindsLaterCallsReuseTheBinding) {
  const std::string absolute = ProbeA();
  const ExternalFunction table[] = {{absolute.c_str(), "TwoArguments"}};
  PrepareExternalFunctions(table, 1);
  EXPECT_EQ(ExternalFunctionModule(0), nullptr);
  EXPECT_EQ(LowWord(CallExternal(0, {4, 2})), 42u);
  void* module = ExternalFunctionModule(0);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LowWord(CallExternal(0, {7, 1})), 71u);
  EXPECT_EQ(ExternalFunctionModule(0), module);
  // One unload frees the library: it was loaded exactly once.
  UnloadExternalLibraries();
  EXPECT_EQ(GetModuleHandleA(absolute.c_str()), nullptr);
}

TEST_F(ExternalFunctionTest, OrdinalsAreTakenModulo65536) {
  const std::string absolute = ProbeA();
  const ExternalFunction table[] = {{absolute.c_str(), "#5"}, {absolute.c_str(), "#65542"}};
  PrepareExternalFunctions(table, 2);
  EXPECT_EQ(LowWord(CallExternal(0, {})), 1u);        // Identity
  EXPECT_EQ(LowWord(CallExternal(1, {3, 4})), 34u);  // ordinal 6: TwoArguments
}

TEST_F(ExternalFunctionTest, EveryArgumentWordArrivesAndAPointerSizedResultComesBackWhole) {
  const std::string absolute = ProbeA();
  const ExternalFunction table[] = {{absolute.c_str(), "SixArguments"}, {absolute.c_str(), "Echo"}};
  PrepareExternalFunctions(table, 2);
  EXPECT_EQ(LowWord(CallExternal(0, {1, 2, 3, 4, 5, 6})), 123456u);
  EXPECT_EQ(LowWord(CallExternal(0, {6, 5, 4, 3, 2, 1})), 654321u);
  const uintptr_t word = ~uintptr_t{0} - 5;
  EXPECT_EQ(CallExternal(1, {word}), word);
}

TEST_F(ExternalFunctionTest, AnEmptyLibraryNameIsFoundInUser32) {
  const ExternalFunction table[] = {{"", "CallWindowProcA"}, {"", "GetTickCount"}};
  PrepareExternalFunctions(table, 2);
  BindExternalFunction(0);
  EXPECT_EQ(ExternalFunctionModule(0), GetModuleHandleA("user32.dll"));
  BindExternalFunction(1);
  EXPECT_EQ(ExternalFunctionModule(1), GetModuleHandleA("kernel32.dll"));
}

TEST_F(ExternalFunctionTest, ALibraryInTheRunDirectoryIsPreferred) {
  // The system's search finds the copy that says 2; the run directory holds the one saying 1.
  driver::TempDirectory searchDir("search");
  ASSERT_TRUE(driver::CopyFileTo(ProbeB(), searchDir / "corvane_probe.dll"));
  SetDllDirectoryA(searchDir.path().c_str());
  const ExternalFunction table[] = {{"corvane_probe.dll", "Identity"}};
  PrepareExternalFunctions(table, 1);
  EXPECT_EQ(LowWord(CallExternal(0, {})), 2u);
  UnloadExternalLibraries();

  ASSERT_TRUE(driver::CopyFileTo(ProbeA(), runDir_ / "corvane_probe.dll"));
  EXPECT_EQ(LowWord(CallExternal(0, {})), 1u);
  UnloadExternalLibraries();
  SetDllDirectoryA(nullptr);
}

TEST_F(ExternalFunctionTest, WinInetFunctionsBindByName) {
  const ExternalFunction table[] = {{"Wininet.dll", "InternetGetConnectedState"}};
  PrepareExternalFunctions(table, 1);
  DWORD flags = 0xFFFFFFFF;
  CallExternal(0, {Word(&flags), 0});
  EXPECT_NE(flags, 0xFFFFFFFFu);
}

TEST(ExternalFunctionFatal, AMisspeltFunctionEndsTheProgramWithTheBindingMessage) {
  std::string caption, text;
  EXPECT_EQ(FatalProbeEnd("misspelt", caption, text), 0xFFFFFFFFu);
  EXPECT_EQ(caption, "错误");
  EXPECT_EQ(text, "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“Wininet.dll”中的输出命令“InternetOpenX”\r\n");
}

TEST(ExternalFunctionFatal, AFunctionInNoDefaultLibraryNamesOnlyTheFunction) {
  std::string caption, text;
  EXPECT_EQ(FatalProbeEnd("nolibrary", caption, text), 0xFFFFFFFFu);
  EXPECT_EQ(text, "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n");
}

TEST(ExternalFunctionFatal, NoCleanupRunsAfterAFatalError) {
  driver::TempDirectory dir("fatal");
  const std::string marker = dir / "cleanup-ran";
  std::string caption, text;
  EXPECT_EQ(FatalProbeEnd("cleanup \"" + marker + "\"", caption, text), 0xFFFFFFFFu);
  EXPECT_FALSE(driver::FileExistsAt(marker));
}

}  // namespace
}  // namespace rt
