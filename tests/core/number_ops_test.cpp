#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/args.h"
#include "runtime/bytes_ops.h"
#include "runtime/number_ops.h"

namespace rt {
namespace {

double Round(double x, int32_t digits) { return CallDouble(RoundHalfUp, Double(x), Int(digits)); }

TEST(RoundHalfUp, DecimalHalvesThatAreNotExactInBinary) {
  EXPECT_DOUBLE_EQ(Round(1.005, 2), 1.01);  // 100.49999999999999 after scaling
  EXPECT_DOUBLE_EQ(Round(0.285, 2), 0.29);
  EXPECT_DOUBLE_EQ(Round(80.375, 2), 80.38);
  EXPECT_DOUBLE_EQ(Round(976.5625, 2), 976.56);
  EXPECT_DOUBLE_EQ(Round(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(Round(1.0049, 2), 1.0);
}

TEST(RoundHalfUp, HalvesGoAwayFromZero) {
  EXPECT_DOUBLE_EQ(Round(-2.5, 0), -3.0);
  EXPECT_DOUBLE_EQ(Round(2.5, 0), 3.0);
  EXPECT_DOUBLE_EQ(Round(-1.005, 2), -1.01);
  EXPECT_DOUBLE_EQ(Round(2.4999, 0), 2.0);
}

TEST(RoundHalfUp, NegativeDigitsRoundToTensAndHundreds) {
  EXPECT_DOUBLE_EQ(Round(1234.5, -2), 1200.0);
  EXPECT_DOUBLE_EQ(Round(1250.0, -2), 1300.0);
  EXPECT_DOUBLE_EQ(Round(-1250.0, -2), -1300.0);
  EXPECT_DOUBLE_EQ(Round(45.0, -1), 50.0);
}

TEST(RoundHalfUp, ZeroIsReturnedUnchangedAndDigitsDefaultToZero) {
  EXPECT_TRUE(std::signbit(Round(-0.0, 2)));
  EXPECT_EQ(Round(0.0, 2), 0.0);
  EXPECT_DOUBLE_EQ(CallDouble(RoundHalfUp, Double(7.5), Omitted()), 8.0);
  EXPECT_DOUBLE_EQ(CallDouble(RoundHalfUp, Double(7.4)), 7.0);
  EXPECT_DOUBLE_EQ(Round(0.004, 2), 0.0);
  EXPECT_DOUBLE_EQ(Round(0.005, 2), 0.01);
}

TEST(IntegerDivide, TruncatesTowardZeroThroughEveryDivisor) {
  EXPECT_DOUBLE_EQ(CallDouble(IntegerDivide, Double(-7), Double(2)), -3.0);
  EXPECT_DOUBLE_EQ(CallDouble(IntegerDivide, Double(3599), Double(3600)), 0.0);
  EXPECT_DOUBLE_EQ(CallDouble(IntegerDivide, Double(1500), Double(1000)), 1.0);
  EXPECT_DOUBLE_EQ(CallDouble(IntegerDivide, Double(100), Double(3), Double(2)), 16.0);
  EXPECT_DOUBLE_EQ(CallDouble(IntegerDivide, Double(9.75)), 9.75);  // no divisor: x itself
  EXPECT_TRUE(std::signbit(CallDouble(IntegerDivide, Double(-3), Double(3600))));
}

TEST(Remainder, KeepsTheSignOfTheDividend) {
  EXPECT_DOUBLE_EQ(CallDouble(Remainder, Double(-7), Double(3)), -1.0);
  EXPECT_DOUBLE_EQ(CallDouble(Remainder, Double(7.5), Double(2)), 1.5);
  EXPECT_DOUBLE_EQ(CallDouble(Remainder, Double(3661), Double(60)), 1.0);
  EXPECT_DOUBLE_EQ(CallDouble(Remainder, Double(17), Double(10), Double(4)), 3.0);
  EXPECT_DOUBLE_EQ(CallDouble(Remainder, Double(-5)), -5.0);
}

TEST(ToInteger, DoublesTruncateAndKeepTheLow32Bits) {
  EXPECT_EQ(CallInt(ToInteger, Double(3.99)), 3);
  EXPECT_EQ(CallInt(ToInteger, Double(-3.99)), -3);
  EXPECT_EQ(CallInt(ToInteger, Double(4294967301.0)), 5);
  EXPECT_EQ(CallInt(ToInteger, Double(2147483648.0)), INT32_MIN);
  EXPECT_EQ(CallInt(ToInteger, Double(-4294967297.5)), -1);
  EXPECT_EQ(CallInt(ToInteger, Double(1e300)), 0);  // beyond 64 bits
  EXPECT_EQ(CallInt(ToInteger, Double(std::nan(""))), 0);
  EXPECT_EQ(CallInt(ToInteger, Float(-2.5f)), -2);
}

TEST(ToInteger, IntegerTagsWidenOrCut) {
  EXPECT_EQ(CallInt(ToInteger, ArgRecord{0xFFFFFF80u, 0, TypeTag::Byte}), 128);
  EXPECT_EQ(CallInt(ToInteger, ArgRecord{0x0000FFFFu, 0, TypeTag::Short}), -1);
  EXPECT_EQ(CallInt(ToInteger, Int64(0x100000007LL)), 7);
  EXPECT_EQ(CallInt(ToInteger, Bool(true)), 1);
  EXPECT_EQ(CallInt(ToInteger, Omitted()), 0);
  EXPECT_EQ(CallInt(ToInteger, DateTime(5.5)), 0);
}

TEST(ToInteger, TextsAreReadLikeAtoiAfterHalfWidthFolding) {
  EXPECT_EQ(CallInt(ToInteger, TextArg("  -42abc")), -42);
  EXPECT_EQ(CallInt(ToInteger, TextArg("+7")), 7);
  EXPECT_EQ(CallInt(ToInteger, TextArg("abc")), 0);
  EXPECT_EQ(CallInt(ToInteger, TextArg("")), 0);
  EXPECT_EQ(CallInt(ToInteger, TextArg("１２３")), 123);          // full-width digits
  EXPECT_EQ(CallInt(ToInteger, TextArg("　－４５")), -45);        // ideographic space, full-width minus
  EXPECT_EQ(CallInt(ToInteger, TextArg("\t\n 12 34")), 12);
  EXPECT_EQ(CallInt(ToInteger, TextArg("数12")), 0);              // a character that is not folded
  EXPECT_EQ(CallInt(ToInteger, TextArg("\xA1\xAB" "5")), 0);      // "~" is no sign
  EXPECT_EQ(CallInt(ToInteger, TextArg("99999999999")), INT32_MAX);
  EXPECT_EQ(CallInt(ToInteger, TextArg("-2147483648")), INT32_MIN);
  EXPECT_EQ(CallInt(ToInteger, TextArg("-99999999999")), INT32_MIN);
}

TEST(BitAnd, AndsAllArguments) {
  EXPECT_EQ(CallInt(BitAnd, Int(0x0F), Int(4)), 4);
  EXPECT_EQ(CallInt(BitAnd, Int(0x12), Int(4)), 0);
  EXPECT_EQ(CallInt(BitAnd, Int(-1), Int(0xF0), Int(0x3C)), 0x30);
  EXPECT_EQ(CallInt(BitAnd, Int(0x55)), 0x55);
}

TEST(BlankBytes, ZeroFilledBlockOrNull) {
  EXPECT_EQ(CallBytes(BlankBytes, Int(0)).get(), nullptr);
  EXPECT_EQ(CallBytes(BlankBytes, Int(-3)).get(), nullptr);
  OwnedBytes buffer = CallBytes(BlankBytes, Int(10240));
  ASSERT_NE(buffer.get(), nullptr);
  EXPECT_EQ(buffer.get()->dimensions, 1);
  EXPECT_EQ(buffer.get()->length, 10240);
  for (int i = 0; i < 10240; ++i) ASSERT_EQ(buffer.get()->data()[i], 0) << i;
}

TEST(LeftBytes, CopiesAtMostTheLength) {
  OwnedBytes data(NewBytes("abcdef", 6));
  OwnedBytes left = CallBytes(LeftBytes, BytesArg(data), Int(4));
  ASSERT_NE(left.get(), nullptr);
  EXPECT_EQ(left.get()->length, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(left.get()->data()), 4), "abcd");
  OwnedBytes all = CallBytes(LeftBytes, BytesArg(data), Int(100));
  EXPECT_EQ(all.get()->length, 6);
  EXPECT_NE(all.get(), data.get());
  EXPECT_EQ(CallBytes(LeftBytes, BytesArg(data), Int(0)).get(), nullptr);
  EXPECT_EQ(CallBytes(LeftBytes, BytesArg(data), Int(-1)).get(), nullptr);
  EXPECT_EQ(CallBytes(LeftBytes, BytesArg(&EmptyBytes), Int(5)).get(), nullptr);
}

}  // namespace
}  // namespace rt
