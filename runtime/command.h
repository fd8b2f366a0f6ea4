// What every runtime operation needs to read its arguments and write its result.
#pragma once

#include <cstring>

#include "runtime/value.h"

namespace rt {

inline void SetInt(ArgRecord* result, int32_t value) { result->low = static_cast<uint32_t>(value); }

inline void SetBool(ArgRecord* result, bool value) { result->low = value ? 1u : 0u; }

inline void SetDouble(ArgRecord* result, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  result->low = static_cast<uint32_t>(bits);
  result->high = static_cast<uint32_t>(bits >> 32);
}

inline void SetPointer(ArgRecord* result, const void* p) { std::memcpy(&result->low, &p, sizeof p); }

// The text of a Text argument; callers never pass null, but an Omitted record reads as "".
inline const char* TextOf(const ArgRecord& arg) {
  const char* text = arg.tag == TypeTag::Text ? arg.AsText() : nullptr;
  return text != nullptr ? text : "";
}

}  // namespace rt
