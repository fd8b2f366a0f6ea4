// Numbers as Windows files store them: least significant byte first, at any alignment.
#pragma once

#include <cstdint>

namespace rt {

inline uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Read32(const unsigned char* p) { return Read16(p) | static_cast<uint32_t>(Read16(p + 2)) << 16; }

}  // namespace rt
