// Decimal text of numeric values, the same bytes on every platform.
#pragma once

#include <cstddef>

#include "runtime/value.h"

namespace rt {

// Size of the buffer that FormatNumber writes into.
constexpr size_t kNumberTextSize = 100;

// Writes the decimal text of a numeric value (by its tag) into out; a non-numeric tag writes "".
void FormatNumber(const ArgRecord& value, char (&out)[kNumberTextSize]);

// printf-style "%.<precision>g" with half-up rounding of the decimal digits, exponent written
// as a sign and exactly three digits, and negative zero as "0".
void FormatGeneral(double value, int precision, char (&out)[kNumberTextSize]);

// The Chinese date text of a day count since 30 December 1899 (see ToText of DateTime).
void FormatDateTime(double days, char (&out)[kNumberTextSize]);

}  // namespace rt
