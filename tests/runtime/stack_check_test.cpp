// A two-argument function declared and called with one argument, through the external-call
// thunk of the probe's build. On 32-bit Windows the called function removes its arguments, so
// the stack pointer ends up 4 bytes off and the program ends with the fatal error 6. On 64-bit
// Windows the caller removes them: the stack pointer cannot move, and the call returns.
//
// The probe is the one of the programs under test (driver::ProductDirectory), so the 64-bit
// tests check the 32-bit product's thunk too.
#include <gtest/gtest.h>

#include <string>

#include "runtime/args.h"
#include "runtime/executable_info.h"
#include "runtime/pe_image.h"
#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

TEST(ExternalFunctionFatal, AWrongArgumentCountIsAStackErrorWhereTheCalleeRemovesTheArguments) {
  const std::string probe = driver::ProductDirectory() + "\\fatal_probe.exe";
  const int32_t machine = CallInt(ExecutableMachine, TextArg(probe.c_str()));
  if (machine == kMachineI386) {
    std::string caption, text;
    EXPECT_EQ(testing::FatalProbeEnd("stack", caption, text), 0xFFFFFFFFu);
    EXPECT_EQ(caption, "错误");
    EXPECT_EQ(text, "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
  } else {
    ASSERT_EQ(machine, kMachineAmd64);
    driver::Process process = driver::Process::Start("\"" + probe + "\" stack");
    EXPECT_EQ(process.WaitForExit(driver::DeadlineMs(10000)), 0u);
    EXPECT_FALSE(driver::WaitForMessageBox(process.id(), 0).has_value());
  }
}

}  // namespace
}  // namespace rt
