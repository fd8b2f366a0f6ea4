#include <gtest/gtest.h>

#include <string>

#include "runtime/config.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

using testing::TakeText;
using testing::TextResult;
using testing::Txt;

class ConfigTest : public ::testing::Test {
 protected:
  driver::TempDirectory dir_{"config"};
  std::string ini_ = dir_ / "gx.ini";

  TextResult Read(const std::string& file, const std::string& section, const std::string& key,
                  ArgRecord fallback = Omitted()) {
    return TakeText(CallText(ReadConfigItem, Txt(file), Txt(section), Txt(key), fallback));
  }
};

TEST_F(ConfigTest, ValuesOfRealFilesWithGbkSectionsAndKeys) {
  driver::WriteWholeFile(ini_, "[配置]\r\n文件名=更新包.exe\r\n[gx]\r\ngx=1\r\nxz=http://127.0.0.1/Corvane.exe\r\n");
  EXPECT_EQ(Read(ini_, "配置", "文件名").text, "更新包.exe");
  EXPECT_EQ(Read(ini_, "gx", "gx").text, "1");
  EXPECT_EQ(Read(ini_, "gx", "xz").text, "http://127.0.0.1/Corvane.exe");
}

TEST_F(ConfigTest, MissingFileSectionOrKeyGiveNullOrTheDefault) {
  driver::WriteWholeFile(ini_, "[gx]\r\ngx=1\r\nempty=\r\n");
  EXPECT_TRUE(Read(dir_ / "missing.ini", "gx", "gx").null);
  EXPECT_TRUE(Read(ini_, "other", "gx").null);
  EXPECT_TRUE(Read(ini_, "gx", "xz").null);
  EXPECT_TRUE(Read(ini_, "gx", "empty").null);
  EXPECT_EQ(Read(ini_, "gx", "xz", Txt("fallback")).text, "fallback");
  EXPECT_TRUE(Read(ini_, "gx", "xz", Txt("")).null);
}

TEST_F(ConfigTest, LeadingBlanksOfFileSectionAndKeyAreSkipped) {
  driver::WriteWholeFile(ini_, "[gx]\r\ngx=1\r\n");
  EXPECT_EQ(Read("  \t" + ini_, " gx", "\x01gx").text, "1");
  EXPECT_TRUE(Read("   ", "gx", "gx").null);
  EXPECT_TRUE(Read(ini_, " ", "gx").null);
  EXPECT_TRUE(Read(ini_, "gx", "").null);
}

TEST_F(ConfigTest, LongValuesAreCutAt10239Bytes) {
  const std::string longValue(12000, 'v');
  driver::WriteWholeFile(ini_, "[gx]\r\nxz=" + longValue + "\r\nexact=" + std::string(10239, 'e') + "\r\n");
  EXPECT_EQ(Read(ini_, "gx", "xz").text, std::string(10239, 'v'));
  EXPECT_EQ(Read(ini_, "gx", "exact").text, std::string(10239, 'e'));
}

}  // namespace
}  // namespace rt
