#include <gtest/gtest.h>

#include "runtime/args.h"
#include "runtime/bytes_ops.h"
#include "runtime/text_ops.h"

namespace rt {
namespace {

TEST(CompareTexts, NullEqualsEmptyAndBytesCompareUnsigned) {
  EXPECT_EQ(CompareTexts(nullptr, ""), 0);
  EXPECT_EQ(CompareTexts("", nullptr), 0);
  EXPECT_EQ(CompareTexts(nullptr, nullptr), 0);
  EXPECT_EQ(CompareTexts(nullptr, "a"), -1);
  EXPECT_EQ(CompareTexts("a", nullptr), 1);
  EXPECT_EQ(CompareTexts("", "a"), -1);
  EXPECT_EQ(CompareTexts("b", "a"), 1);
  EXPECT_EQ(CompareTexts("1", "01"), 1);
  EXPECT_EQ(CompareTexts("1", "1 "), -1);
  EXPECT_EQ(CompareTexts("开始更新", "开始更新"), 0);
  EXPECT_EQ(CompareTexts("\x80", "z"), 1);  // above 0x7F sorts after ASCII
  EXPECT_EQ(CompareTexts("正在更新", "开始更新"), 1);
}

TEST(TextLength, CountsBytesInBothForms) {
  EXPECT_EQ(TextLength(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(TextLength("本地版本号:"), 11);
  EXPECT_EQ(CallInt(TextLength, TextArg("abc")), 3);
  EXPECT_EQ(CallInt(TextLength, TextArg(static_cast<const char*>(nullptr))), 0);
}

TEST(ConcatTexts, JoinsPartsAndAlwaysAllocates) {
  OwnedText empty(ConcatTexts(3, static_cast<const char*>(nullptr), "", static_cast<const char*>(nullptr)));
  ASSERT_NE(empty.get(), nullptr);
  EXPECT_STREQ(empty.get(), "");
  OwnedText joined(ConcatTexts(3, "本地版本号:", static_cast<const char*>(nullptr), "V3.1"));
  EXPECT_STREQ(joined.get(), "本地版本号:V3.1");
}

TEST(ToText, IntegersOfEveryWidth) {
  EXPECT_STREQ(CallText(ToText, Int(-5)).get(), "-5");
  EXPECT_STREQ(CallText(ToText, Int(INT32_MIN)).get(), "-2147483648");
  EXPECT_STREQ(CallText(ToText, ArgRecord{0x1FF, 0, TypeTag::Byte}).get(), "255");
  EXPECT_STREQ(CallText(ToText, ArgRecord{0xFFFF8000u, 0, TypeTag::Short}).get(), "-32768");
  EXPECT_STREQ(CallText(ToText, Int64(INT64_MIN)).get(), "-9223372036854775808");
  EXPECT_STREQ(CallText(ToText, Int64(1234567890123LL)).get(), "1234567890123");
}

TEST(ToText, TextsAreCopiedAndEmptyGivesNull) {
  const char* original = "文件名";
  OwnedText copy = CallText(ToText, TextArg(original));
  ASSERT_NE(copy.get(), nullptr);
  EXPECT_NE(copy.get(), original);
  EXPECT_STREQ(copy.get(), original);
  EXPECT_EQ(CallText(ToText, TextArg("")).get(), nullptr);
}

TEST(ToText, BoolAndTagsWithoutText) {
  EXPECT_STREQ(CallText(ToText, Bool(true)).get(), "真");
  EXPECT_STREQ(CallText(ToText, ArgRecord{7, 0, TypeTag::Bool}).get(), "真");
  EXPECT_STREQ(CallText(ToText, Bool(false)).get(), "假");
  EXPECT_EQ(CallText(ToText, Omitted()).get(), nullptr);
  EXPECT_EQ(CallText(ToText, ArgRecord{0x401000, 0, TypeTag::SubroutinePtr}).get(), nullptr);
}

TEST(ToText, BytesUpToTheFirstZero) {
  const unsigned char data[] = {'a', 'b', 0, 'c'};
  OwnedBytes bytes(NewBytes(data, 4));
  EXPECT_STREQ(CallText(ToText, BytesArg(bytes)).get(), "ab");
  OwnedBytes noZero(NewBytes("xyz", 3));
  EXPECT_STREQ(CallText(ToText, BytesArg(noZero)).get(), "xyz");
  const unsigned char leadingZero[] = {0, 'q'};
  OwnedBytes zeroFirst(NewBytes(leadingZero, 2));
  EXPECT_EQ(CallText(ToText, BytesArg(zeroFirst)).get(), nullptr);
  EXPECT_EQ(CallText(ToText, BytesArg(&EmptyBytes)).get(), nullptr);
}

TEST(ToText, NumericArraysGiveTheirBytesOthersNull) {
  // One dimension of two 16-bit elements: "AB" then "C" and a zero byte.
  struct {
    int32_t dimensions = 1;
    int32_t count = 2;
    unsigned char data[4] = {'A', 'B', 'C', 0};
  } shortArray;
  const ArgRecord shorts = Pointer(&shortArray, static_cast<TypeTag>(TagBits(TypeTag::Short) | ArrayFlag));
  EXPECT_STREQ(CallText(ToText, shorts).get(), "ABC");
  const ArgRecord texts = Pointer(&shortArray, static_cast<TypeTag>(TagBits(TypeTag::Text) | ArrayFlag));
  EXPECT_EQ(CallText(ToText, texts).get(), nullptr);
}

TEST(ToText, DatesInChineseWithOnlyTheNeededTimeParts) {
  EXPECT_STREQ(CallText(ToText, DateTime(0)).get(), "1899年12月30日");
  EXPECT_STREQ(CallText(ToText, DateTime(46364)).get(), "2026年12月8日");
  EXPECT_STREQ(CallText(ToText, DateTime(46364.5)).get(), "2026年12月8日12时");
  EXPECT_STREQ(CallText(ToText, DateTime(46364 + 0.5 + 30.0 / 1440)).get(), "2026年12月8日12时30分");
  EXPECT_STREQ(CallText(ToText, DateTime(46364 + 1.0 / 86400)).get(), "2026年12月8日0时0分1秒");
  EXPECT_STREQ(CallText(ToText, DateTime(60)).get(), "1900年2月28日");
  EXPECT_STREQ(CallText(ToText, DateTime(61)).get(), "1900年3月1日");
  // Before 1899-12-30 the fraction is still the time of day.
  EXPECT_STREQ(CallText(ToText, DateTime(-1.25)).get(), "1899年12月29日6时");
  // Clamped to the first and the last representable day.
  EXPECT_STREQ(CallText(ToText, DateTime(-1e9)).get(), "100年1月1日");
  EXPECT_STREQ(CallText(ToText, DateTime(1e9)).get(), "9999年12月31日");
}

}  // namespace
}  // namespace rt

#include "runtime/gbk.h"

namespace rt {
namespace {

TEST(EqualIgnoringCase, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualIgnoringCase("Corvane.exe", "cORVANE.EXE"));
  EXPECT_FALSE(EqualIgnoringCase("Corvane.exe", "Corvane.ex"));
  EXPECT_FALSE(EqualIgnoringCase("Corvane.exe", "Corvane.exe "));
  EXPECT_TRUE(EqualIgnoringCase("", ""));
  EXPECT_TRUE(EqualIgnoringCase("更新A.exe", "更新a.EXE"));
  // The trail byte 0x41 ("A") of a double-byte character is not a letter of its own.
  EXPECT_FALSE(EqualIgnoringCase("\x81\x41", "\x81\x61"));
}

}  // namespace
}  // namespace rt
