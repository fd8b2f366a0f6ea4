#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/args.h"
#include "runtime/number_format.h"
#include "runtime/text_ops.h"

namespace rt {
namespace {

std::string DoubleText(double value) {
  char out[kNumberTextSize];
  FormatNumber(Double(value), out);
  return out;
}

std::string FloatText(float value) {
  char out[kNumberTextSize];
  FormatNumber(Float(value), out);
  return out;
}

TEST(FormatDouble, PlainNotationDropsTrailingZeros) {
  EXPECT_EQ(DoubleText(3.0), "3");
  EXPECT_EQ(DoubleText(12.50), "12.5");
  EXPECT_EQ(DoubleText(0.1 + 0.2), "0.3");
  EXPECT_EQ(DoubleText(976.5625), "976.5625");
  EXPECT_EQ(DoubleText(976.56), "976.56");
  EXPECT_EQ(DoubleText(1024.0), "1024");
  EXPECT_EQ(DoubleText(-80.38), "-80.38");
  EXPECT_EQ(DoubleText(123.45), "123.45");
}

TEST(FormatDouble, ZerosOfBothSignsPrintAsZero) {
  EXPECT_EQ(DoubleText(0.0), "0");
  EXPECT_EQ(DoubleText(-0.0), "0");
}

TEST(FormatDouble, ExponentBoundaryAtThirteenDigits) {
  EXPECT_EQ(DoubleText(999999999999.0), "999999999999");
  EXPECT_EQ(DoubleText(1234567890123.0), "1234567890123");     // 13 digits: still plain
  EXPECT_EQ(DoubleText(9999999999999.0), "9999999999999");
  EXPECT_EQ(DoubleText(10000000000000.0), "1e+013");            // exponent 13
  EXPECT_EQ(DoubleText(123456789012345.0), "1.234567890123e+014");
  EXPECT_EQ(DoubleText(1e15), "1e+015");
  // Rounding to 13 digits can carry into the next power of ten and so into exponent form.
  EXPECT_EQ(DoubleText(9999999999999.5), "1e+013");
  EXPECT_EQ(DoubleText(-1e100), "-1e+100");
  EXPECT_EQ(DoubleText(1.7976931348623157e308), "1.797693134862e+308");
}

TEST(FormatDouble, ExponentBoundaryAtMinusFour) {
  EXPECT_EQ(DoubleText(0.0001), "0.0001");
  EXPECT_EQ(DoubleText(0.00012345), "0.00012345");
  EXPECT_EQ(DoubleText(0.00001), "1e-005");
  EXPECT_EQ(DoubleText(0.000025), "2.5e-005");
  EXPECT_EQ(DoubleText(0.000099999999999999), "0.0001");  // rounding carries across the boundary
  EXPECT_EQ(DoubleText(5e-324), "4.940656458412e-324");
  EXPECT_EQ(DoubleText(2.2250738585072014e-308), "2.225073858507e-308");
}

TEST(FormatDouble, HalvesRoundUpOnTheDecimalDigits) {
  // Exact binary halves at the fourteenth digit go up, not to even.
  EXPECT_EQ(DoubleText(1234567890122.5), "1234567890123");
  EXPECT_EQ(DoubleText(1234567890123.5), "1234567890124");
  EXPECT_EQ(DoubleText(-1234567890122.5), "-1234567890123");
  // Below a half stays down even when the shortest text would suggest otherwise.
  EXPECT_EQ(DoubleText(0.1234567890123449), "0.1234567890123");
  EXPECT_EQ(DoubleText(2.0 / 3.0), "0.6666666666667");
  EXPECT_EQ(DoubleText(1.0 / 3.0), "0.3333333333333");
}

TEST(FormatDouble, InfinitiesAndNotANumber) {
  EXPECT_EQ(DoubleText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(DoubleText(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(DoubleText(std::nan("")), "nan");
}

TEST(FormatFloat, SixSignificantDigitsOfTheWidenedValue) {
  EXPECT_EQ(FloatText(0.1f), "0.1");
  EXPECT_EQ(FloatText(3.14159265f), "3.14159");
  EXPECT_EQ(FloatText(123456.0f), "123456");
  EXPECT_EQ(FloatText(1234567.0f), "1.23457e+006");
  EXPECT_EQ(FloatText(0.0001f), "0.0001");
  EXPECT_EQ(FloatText(0.00001f), "1e-005");
}

TEST(FormatNumber, NonNumericTagsWriteNothing) {
  char out[kNumberTextSize] = "x";
  FormatNumber(TextArg("12"), out);
  EXPECT_STREQ(out, "");
}

TEST(FormatGeneral, TheLongestTextsFitTheBuffer) {
  char out[kNumberTextSize];
  FormatGeneral(-2.2250738585072009e-308, 13, out);
  EXPECT_STREQ(out, "-2.225073858507e-308");
  FormatGeneral(-1.0 / 3.0 * 1e-4, 13, out);
  EXPECT_STREQ(out, "-3.333333333333e-005");
  FormatGeneral(-0.00012345678901234, 13, out);
  EXPECT_STREQ(out, "-0.0001234567890123");
}

}  // namespace
}  // namespace rt
