// The deterministic bytes of every generated test body. Byte i of a body is the same function
// of i everywhere: in the fault server's bodies and in the files the nginx fixture serves
// (tests/servers/nginx-fixture computes the same bytes), so a test can compare any download
// with PatternBody(size) whichever server sent it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testsrv {

// Not periodic at any chunk size a test uses, so a chunk lost, doubled or moved shows.
inline unsigned char PatternByte(uint64_t i) { return static_cast<unsigned char>((i * 2654435761u) >> 24); }

// Bytes offset ... offset + size - 1 of the pattern.
inline std::string PatternBody(size_t size, uint64_t offset = 0) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(PatternByte(offset + i));
  return body;
}

}  // namespace testsrv
