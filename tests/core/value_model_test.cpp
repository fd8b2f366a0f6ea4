#include <gtest/gtest.h>

#include <cstring>

#include "runtime/args.h"
#include "runtime/memory.h"
#include "runtime/value.h"

namespace rt {
namespace {

TEST(ValueModel, NumericTagsAndTheirSizes) {
  const TypeTag numeric[] = {TypeTag::Byte, TypeTag::Short, TypeTag::Int, TypeTag::Int64, TypeTag::Float, TypeTag::Double};
  const int32_t sizes[] = {1, 2, 4, 8, 4, 8};
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(IsNumeric(numeric[i]));
    EXPECT_EQ(NumericSize(numeric[i]), sizes[i]);
  }
  for (TypeTag other : {TypeTag::Bool, TypeTag::DateTime, TypeTag::Text, TypeTag::Bytes, TypeTag::SubroutinePtr,
                        TypeTag::Omitted, TypeTag::WindowRef, static_cast<TypeTag>(0xC0000301u),
                        static_cast<TypeTag>(0x80000302u)}) {
    EXPECT_FALSE(IsNumeric(other)) << std::hex << TagBits(other);
    EXPECT_EQ(NumericSize(other), 0);
  }
}

TEST(ValueModel, ArrayFlagMarksArraysOfTheBaseType) {
  const auto intArray = static_cast<TypeTag>(TagBits(TypeTag::Int) | ArrayFlag);
  EXPECT_TRUE(IsArray(intArray));
  EXPECT_EQ(BaseType(intArray), TypeTag::Int);
  EXPECT_FALSE(IsNumeric(intArray));
  EXPECT_FALSE(IsArray(TypeTag::Bytes));
}

TEST(ValueModel, RecordsCarryValuesInTheirWords) {
  const ArgRecord d = Double(1.5);
  EXPECT_EQ(d.tag, TypeTag::Double);
  EXPECT_EQ(d.high, 0x3FF80000u);
  EXPECT_EQ(d.low, 0u);
  EXPECT_DOUBLE_EQ(d.AsDouble(), 1.5);

  const ArgRecord wide = Int64(-2);
  EXPECT_EQ(wide.low, 0xFFFFFFFEu);
  EXPECT_EQ(wide.high, 0xFFFFFFFFu);
  EXPECT_EQ(wide.AsInt64(), -2);

  EXPECT_EQ(Int(-1).low, 0xFFFFFFFFu);
  EXPECT_EQ(Bool(true).low, 1u);
  const ArgRecord omitted = Omitted();
  EXPECT_EQ(omitted.low | omitted.high | TagBits(omitted.tag), 0u);
}

TEST(ValueModel, NullTextAndBytesArePassedAsConstantEmptyValues) {
  const ArgRecord text = TextArg(static_cast<const char*>(nullptr));
  ASSERT_NE(text.AsText(), nullptr);
  EXPECT_STREQ(text.AsText(), "");
  const ArgRecord bytes = BytesArg(static_cast<const Bytes*>(nullptr));
  EXPECT_EQ(bytes.AsBytes(), &EmptyBytes);
  EXPECT_EQ(EmptyBytes.dimensions, 1);
  EXPECT_EQ(EmptyBytes.length, 0);
}

TEST(ValueModel, LiteralsAreGbkBytes) {
  // The build turns UTF-8 sources into GBK; both sides of every text comparison rely on it.
  EXPECT_STREQ("下载", "\xCF\xC2\xD4\xD8");
  EXPECT_STREQ("×", "\xA1\xC1");
}

TEST(RuntimeMemory, LiteralsAreRecognisedAndNotFreed) {
  static const char kLiteral[] = "常量";
  EXPECT_TRUE(IsInProgramImage(kLiteral));
  EXPECT_TRUE(IsInProgramImage("literal"));
  RuntimeFree(const_cast<char*>(kLiteral));  // must be a no-op
  RuntimeFree(nullptr);

  void* block = RuntimeAlloc(32);
  EXPECT_FALSE(IsInProgramImage(block));
  std::memset(block, 0xAB, 32);
  RuntimeFree(block);
}

TEST(RuntimeMemory, OwnedTextFreesAndReadsNullAsEmpty) {
  OwnedText empty;
  EXPECT_STREQ(empty.c_str(), "");
  EXPECT_TRUE(empty.empty());
  auto* block = static_cast<char*>(RuntimeAlloc(3));
  std::memcpy(block, "ab", 3);
  OwnedText owned(block);
  EXPECT_STREQ(owned.c_str(), "ab");
  OwnedText moved = std::move(owned);
  EXPECT_EQ(owned.get(), nullptr);
  EXPECT_EQ(moved.get(), block);
}

}  // namespace
}  // namespace rt
