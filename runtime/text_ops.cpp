#include "runtime/text_ops.h"

#include <cstdarg>
#include <cstring>

#include "runtime/command.h"
#include "runtime/memory.h"
#include "runtime/number_format.h"

namespace rt {

namespace {

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

// A new Text holding length bytes of data, or null when length is 0.
char* CopyText(const void* data, size_t length) {
  if (length == 0) return nullptr;
  auto* text = static_cast<char*>(RuntimeAlloc(length + 1));
  std::memcpy(text, data, length);
  text[length] = '\0';
  return text;
}

// The data bytes of a Bytes block or of an array of a numeric type, up to the first zero byte.
char* ByteDataToText(const ArgRecord& value) {
  const auto* block = static_cast<const int32_t*>(value.AsPointer());
  if (block == nullptr) return nullptr;
  int64_t size = 0;
  const unsigned char* data = nullptr;
  if (value.tag == TypeTag::Bytes) {
    size = block[1];
    data = reinterpret_cast<const unsigned char*>(block + 2);
  } else {
    // An array block: dimension count, one element count per dimension, then the elements.
    const int32_t dimensions = block[0];
    int64_t elements = dimensions > 0 ? 1 : 0;
    for (int32_t d = 0; d < dimensions; ++d) elements *= block[1 + d];
    size = elements * NumericSize(BaseType(value.tag));
    data = reinterpret_cast<const unsigned char*>(block + 1 + dimensions);
  }
  if (size <= 0) return nullptr;
  const void* zero = std::memchr(data, 0, static_cast<size_t>(size));
  const size_t length = zero != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - data)
                                        : static_cast<size_t>(size);
  return CopyText(data, length);
}

}  // namespace

int32_t CompareTexts(const char* a, const char* b) {
  if (a == nullptr) return IsEmpty(b) ? 0 : -1;
  if (b == nullptr) return IsEmpty(a) ? 0 : 1;
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    if (*x != *y) return *x < *y ? -1 : 1;
    if (*x == '\0') return 0;
  }
}

int32_t TextLength(const char* text) { return text == nullptr ? 0 : static_cast<int32_t>(std::strlen(text)); }

char* ConcatTexts(int32_t count, ...) {
  va_list parts;
  va_start(parts, count);
  size_t total = 0;
  for (int32_t i = 0; i < count; ++i) total += static_cast<size_t>(TextLength(va_arg(parts, const char*)));
  va_end(parts);

  auto* text = static_cast<char*>(RuntimeAlloc(total + 1));
  char* end = text;
  va_start(parts, count);
  for (int32_t i = 0; i < count; ++i) {
    const char* part = va_arg(parts, const char*);
    const size_t length = static_cast<size_t>(TextLength(part));
    if (length > 0) std::memcpy(end, part, length);
    end += length;
  }
  va_end(parts);
  *end = '\0';
  return text;
}

void TextLength(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  SetInt(result, TextLength(TextOf(ArgAt(argc, args, 0))));
}

char* ValueToText(const ArgRecord& value) {
  const TypeTag tag = value.tag;
  if (tag == TypeTag::Bytes || (IsArray(tag) && IsNumeric(BaseType(tag)))) return ByteDataToText(value);
  if (IsArray(tag)) return nullptr;

  char buffer[kNumberTextSize];
  if (IsNumeric(tag)) {
    FormatNumber(value, buffer);
    return CopyText(buffer, std::strlen(buffer));
  }
  switch (tag) {
    case TypeTag::Text: {
      const char* text = value.AsText();
      return CopyText(text, static_cast<size_t>(TextLength(text)));
    }
    case TypeTag::Bool: {
      const char* word = value.low != 0 ? "真" : "假";
      return CopyText(word, std::strlen(word));
    }
    case TypeTag::DateTime:
      FormatDateTime(value.AsDouble(), buffer);
      return CopyText(buffer, std::strlen(buffer));
    default:
      return nullptr;
  }
}

void ToText(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  SetPointer(result, ValueToText(ArgAt(argc, args, 0)));
}

}  // namespace rt
