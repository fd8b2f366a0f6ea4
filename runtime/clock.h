#pragma once

#include "runtime/value.h"

namespace rt {

// () -> Int: milliseconds since the system started, as a signed 32-bit value (it wraps).
void GetUptimeMs(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (milliseconds): lets the calling thread wait that long.
void Delay(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
