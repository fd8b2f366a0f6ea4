// The value model shared by every runtime operation: type tags, the 12-byte argument record,
// the uniform calling shape of the operations, and the layouts of Text and Bytes.
#pragma once

#include <cstdint>
#include <cstring>

namespace rt {

// The tag that travels with every value crossing into a runtime operation.
enum class TypeTag : uint32_t {
  Omitted = 0,
  Byte = 0x80000101,
  Short = 0x80000201,
  Int = 0x80000301,
  Int64 = 0x80000401,
  Float = 0x80000501,
  Double = 0x80000601,
  Bool = 0x80000002,
  DateTime = 0x80000003,
  Text = 0x80000004,
  Bytes = 0x80000005,
  SubroutinePtr = 0x80000006,
  WindowRef = 0x00010001,  // a reference to one of the program's windows
};

// Marks an array of the base type (the tag with this bit cleared).
constexpr uint32_t ArrayFlag = 0x20000000;

constexpr uint32_t TagBits(TypeTag tag) { return static_cast<uint32_t>(tag); }
constexpr bool IsArray(TypeTag tag) { return (TagBits(tag) & ArrayFlag) != 0; }
constexpr TypeTag BaseType(TypeTag tag) { return static_cast<TypeTag>(TagBits(tag) & ~ArrayFlag); }

// Numeric types are the system types (top bit 1, next bit 0) whose low byte is 0x01:
// Byte, Short, Int, Int64, Float and Double; an array of them is not a number itself.
constexpr bool IsNumeric(TypeTag tag) {
  const uint32_t bits = TagBits(tag);
  return (bits & 0xC0000000u) == 0x80000000u && (bits & 0xFFu) == 0x01u && (bits & ArrayFlag) == 0;
}

// Size in bytes of a value of a numeric type; 0 for every other tag.
constexpr int32_t NumericSize(TypeTag tag) {
  switch (tag) {
    case TypeTag::Byte: return 1;
    case TypeTag::Short: return 2;
    case TypeTag::Int: return 4;
    case TypeTag::Int64: return 8;
    case TypeTag::Float: return 4;
    case TypeTag::Double: return 8;
    default: return 0;
  }
}

// A Text is a NUL-terminated byte string in the ANSI code page; null and "" are both empty.
using Text = char*;

// A counted byte block: dimension count (always 1), length, then the data bytes.
struct Bytes {
  int32_t dimensions;
  int32_t length;
  unsigned char* data() { return reinterpret_cast<unsigned char*>(this + 1); }
  const unsigned char* data() const { return reinterpret_cast<const unsigned char*>(this + 1); }
};
static_assert(sizeof(Bytes) == 8, "a Bytes header is two 32-bit words");

// The constant empty byte-set that callers pass in place of a null Bytes.
extern const Bytes EmptyBytes;

// Three little-endian 32-bit words: value-low, value-high, tag. A pointer occupies value-low
// on the 32-bit target; on a 64-bit host it spills into value-high, so the record keeps its size.
struct ArgRecord {
  uint32_t low;
  uint32_t high;
  TypeTag tag;

  int32_t AsInt() const { return static_cast<int32_t>(low); }
  int64_t AsInt64() const { return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low); }
  double AsDouble() const {
    const uint64_t bits = (static_cast<uint64_t>(high) << 32) | low;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  float AsFloat() const {
    float value;
    std::memcpy(&value, &low, sizeof value);
    return value;
  }
  void* AsPointer() const {
    void* value = nullptr;
    std::memcpy(&value, &low, sizeof value);  // low and high are adjacent
    return value;
  }
  char* AsText() const { return static_cast<char*>(AsPointer()); }
  Bytes* AsBytes() const { return static_cast<Bytes*>(AsPointer()); }
};
static_assert(sizeof(ArgRecord) == 12, "an argument record is exactly three 32-bit words");
static_assert(sizeof(void*) <= 8, "a pointer must fit into value-low and value-high");

// The uniform shape of a runtime operation: it writes its value into *result, which the
// caller has zeroed, so a result that is never written reads as 0, null or false.
using CommandFn = void (*)(ArgRecord* result, int32_t argc, const ArgRecord* args);

// Argument i of an operation, or an Omitted record when the caller passed fewer.
inline ArgRecord ArgAt(int32_t argc, const ArgRecord* args, int32_t i) {
  return i < argc ? args[i] : ArgRecord{0, 0, TypeTag::Omitted};
}

}  // namespace rt
