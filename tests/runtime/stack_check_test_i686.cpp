// 32-bit Windows only: there the called function removes its arguments, so a declaration with
// the wrong argument count leaves the stack pointer off. (On 64-bit Windows the caller removes
// them and the stack pointer cannot move across the call.)
#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

TEST(ExternalFunctionFatal, AWrongArgumentCountIsAStackError) {
  std::string caption, text;
  EXPECT_EQ(testing::FatalProbeEnd("stack", caption, text), 0xFFFFFFFFu);
  EXPECT_EQ(caption, "错误");
  EXPECT_EQ(text, "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
}

}  // namespace
}  // namespace rt
