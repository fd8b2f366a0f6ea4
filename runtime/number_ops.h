// Number operations: rounding, integer division, remainder, conversion to integer, AND.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

void RoundHalfUp(ArgRecord* result, int32_t argc, const ArgRecord* args);
void IntegerDivide(ArgRecord* result, int32_t argc, const ArgRecord* args);
void Remainder(ArgRecord* result, int32_t argc, const ArgRecord* args);
void ToInteger(ArgRecord* result, int32_t argc, const ArgRecord* args);
void BitAnd(ArgRecord* result, int32_t argc, const ArgRecord* args);

// The arithmetic behind the operations, for callers that already hold plain numbers.
double RoundHalfUpValue(double x, int32_t digits);
int32_t TextToInteger(const char* text);

}  // namespace rt
