// The texts are GBK whatever the system's code page; these conversions must give the same
// UTF-16 under code page 1252 as under 936 (the Western-locale run checks that).
#include <gtest/gtest.h>

#include <string>

#include "runtime/wide_text.h"

namespace rt {
namespace {

std::wstring Wide(const char* text) { return WideText(text).c_str(); }

TEST(WideText, GbkTextsReadAsWritten) {
  const struct {
    const char* gbk;
    const wchar_t* expected;
  } cases[] = {
      {"开始更新", L"开始更新"},
      {"Tavlor软件更新程序", L"Tavlor软件更新程序"},
      {"×", L"\u00D7"},  // A1 C1
      {"下载进度：", L"下载进度："},
      // 87 5C: the trail byte reads as "\" on its own, but belongs to its character.
      {"C:\\\x87\x5C\\a", L"C:\\\u5630\\a"},
      {"\x95\x5C", L"\u661E"},
      {"文件大小:0KB\r\n", L"文件大小:0KB\r\n"},
      {"", L""},
      {nullptr, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(Wide(c.gbk), c.expected) << (c.gbk ? c.gbk : "(null)");
}

TEST(WideText, ALengthInBytesEndsTheText) {
  const WideText firstTwo("开始更新", 4);
  EXPECT_EQ(std::wstring(firstTwo.c_str()), L"开始");
  EXPECT_EQ(firstTwo.length(), 2);
}

TEST(WideText, IntoABufferIsCutToFitAndEnded) {
  wchar_t out[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(WidenInto("开始更新", 8, out, 3), 1u);  // two bytes fit: one character
  EXPECT_EQ(std::wstring(out), L"开");
  EXPECT_EQ(WidenInto("abc", 3, out, 1), 0u);
  EXPECT_EQ(out[0], L'\0');
}

}  // namespace
}  // namespace rt
