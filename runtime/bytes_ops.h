// Byte-set operations.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

void BlankBytes(ArgRecord* result, int32_t argc, const ArgRecord* args);
void LeftBytes(ArgRecord* result, int32_t argc, const ArgRecord* args);

// A new Bytes of length bytes copied from data (length > 0).
Bytes* NewBytes(const void* data, int32_t length);

}  // namespace rt
