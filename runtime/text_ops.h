// Text operations: comparison, length, concatenation and conversion of any value to text.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

// Byte-wise comparison as unsigned values: -1, 0 or 1; null equals "".
int32_t CompareTexts(const char* a, const char* b);

// Bytes before the terminating NUL; null gives 0.
int32_t TextLength(const char* text);

// A new Text holding the N parts in order; always allocated, also when empty.
char* ConcatTexts(int32_t count, ...);

// CommandFn operations.
void TextLength(ArgRecord* result, int32_t argc, const ArgRecord* args);
void ToText(ArgRecord* result, int32_t argc, const ArgRecord* args);

// The new Text that ToText makes of one value (null when empty).
char* ValueToText(const ArgRecord& value);

}  // namespace rt
