#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/args.h"
#include "runtime/fatal_error.h"
#include "runtime/number_ops.h"
#include "runtime/program_state.h"

namespace rt {
namespace {

std::string Report(const char* message, int32_t code) {
  char out[2048];
  BuildFatalReport(message, code, out, sizeof out);
  return out;
}

TEST(FatalReport, WithCodeAndMessage) {
  EXPECT_EQ(Report("调用DLL命令后发现堆栈错误", 6),
            "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
}

TEST(FatalReport, WithoutCodeOrWithoutMessage) {
  EXPECT_EQ(Report("不能整除于零", 0), "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n");
  EXPECT_EQ(Report("", -3), "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n");
  EXPECT_EQ(Report(nullptr, 0), "运行时出错!\r\n\r\n");
}

TEST(FatalReport, LongMessagesAreCutToTheBuffer) {
  const std::string longMessage(5000, 'x');
  char out[64];
  BuildFatalReport(longMessage.c_str(), 0, out, sizeof out);
  EXPECT_EQ(std::strlen(out), sizeof out - 1);
  EXPECT_EQ(std::string(out).rfind("运行时出错!", 0), 0u);
}

TEST(ExitCleanups, RegisteredOnceRunInOrderThenEmptied) {
  static std::string trace;
  trace.clear();
  RegisterExitCleanup([] { trace += "a"; });
  CleanupRoutine b = [] { trace += "b"; };
  RegisterExitCleanup(b);
  RegisterExitCleanup(b);
  RunExitCleanups();
  EXPECT_EQ(trace, "ab");
  RunExitCleanups();
  EXPECT_EQ(trace, "ab");
}

#ifndef _WIN32
// The Windows build shows a modal box here; its end-to-end test drives the box from outside.
TEST(FatalErrorDeathTest, DivisionByZeroReportsAndEndsWithMinusOneWithoutCleanups) {
  EXPECT_EXIT(
      {
        RegisterExitCleanup([] { std::fputs("cleanup ran", stderr); });
        CallDouble(IntegerDivide, Double(5), Double(0));
      },
      ::testing::ExitedWithCode(255), "^运行时出错!\r\n\r\n错误信息：不能整除于零\r\n$");
}

TEST(FatalErrorDeathTest, RemainderByNegativeZero) {
  EXPECT_EXIT(CallDouble(Remainder, Double(5), Double(-0.0)), ::testing::ExitedWithCode(255), "不能求余数于零");
}
#endif

}  // namespace
}  // namespace rt
