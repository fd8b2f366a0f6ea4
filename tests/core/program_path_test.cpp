#include <gtest/gtest.h>

#include <string>

#include "runtime/program_path.h"

namespace rt {
namespace {

TEST(ProgramPath, SplitsAtTheLastSeparator) {
  SetProgramPath("C:\\Tools\\CorvaneUpdater.exe");
  EXPECT_STREQ(RunDirectory(), "C:\\Tools");
  EXPECT_STREQ(ProgramFileName(), "CorvaneUpdater.exe");
  SetProgramPath("C:\\CorvaneUpdater.exe");
  EXPECT_STREQ(RunDirectory(), "C:");
  SetProgramPath("CorvaneUpdater.exe");
  EXPECT_STREQ(RunDirectory(), "");
  EXPECT_STREQ(ProgramFileName(), "CorvaneUpdater.exe");
}

TEST(ProgramPath, AGbkTrailByte5CStaysInsideItsCharacter) {
  // The GBK character 87 5C has a trail byte that reads as "\" on its own.
  const std::string dir = "C:\\\x87\x5C";
  SetProgramPath((dir + "\\CorvaneUpdater.exe").c_str());
  EXPECT_EQ(std::string(RunDirectory()), dir);
  EXPECT_EQ(LastPathSeparator("\x87\x5C"), -1);
  EXPECT_EQ(LastPathSeparator("a\\\x95\x5C" "b"), 1);
  EXPECT_EQ(LastPathSeparator("\\"), 0);
  EXPECT_EQ(LastPathSeparator("\x87"), -1);  // a lead byte at the very end is a byte of its own
}

}  // namespace
}  // namespace rt
