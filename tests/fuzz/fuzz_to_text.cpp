// ToText of any tag with any payload: no crash, no leak, texts of numbers as FormatNumber.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/number_format.h"
#include "runtime/text_ops.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr rt::TypeTag kTags[] = {
    rt::TypeTag::Omitted, rt::TypeTag::Byte,     rt::TypeTag::Short, rt::TypeTag::Int,
    rt::TypeTag::Int64,   rt::TypeTag::Float,    rt::TypeTag::Double, rt::TypeTag::Bool,
    rt::TypeTag::DateTime, rt::TypeTag::Text,    rt::TypeTag::Bytes, rt::TypeTag::SubroutinePtr,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t choice = input.Take<uint8_t>();
  const rt::TypeTag tag = kTags[choice % (sizeof kTags / sizeof kTags[0])];
  const bool array = (choice & 0x80) != 0;
  const uint32_t low = input.Take<uint32_t>();
  const uint32_t high = input.Take<uint32_t>();
  const std::string payload = input.Rest();

  // Text and byte data live in blocks of the right layout.
  std::vector<int32_t> block(4 + payload.size() / 4 + 1, 0);
  rt::ArgRecord value{low, high, tag};
  if (tag == rt::TypeTag::Text) {
    value = rt::TextArg(payload.c_str());
  } else if (tag == rt::TypeTag::Bytes || array) {
    block[0] = 1;
    const int32_t elementSize = array ? rt::NumericSize(tag) : 1;
    block[1] = elementSize > 0 ? static_cast<int32_t>(payload.size()) / elementSize : static_cast<int32_t>(payload.size());
    std::memcpy(&block[2], payload.data(), payload.size());
    const auto arrayTag = array ? static_cast<rt::TypeTag>(rt::TagBits(tag) | rt::ArrayFlag) : rt::TypeTag::Bytes;
    value = rt::Pointer(block.data(), arrayTag);
  }
  rt::OwnedText text = rt::CallText(rt::ToText, value);
  if (text && text.get()[0] == '\0') std::abort();  // empty results are null
  if (rt::IsNumeric(value.tag)) {
    char expected[rt::kNumberTextSize];
    rt::FormatNumber(value, expected);
    if (std::strcmp(text.c_str(), expected) != 0) std::abort();
  }
  return 0;
}
