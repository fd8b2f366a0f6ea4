// What the headers of a Windows executable say about its own length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace rt {

// Where the parts of an executable file lie that its headers know of.
struct ExecutableLayout {
  // The end of the furthest of the headers, every section's data, the symbol table and the
  // certificate table: the file must be at least this long.
  uint64_t end = 0;
  // Where the string table that follows the symbol table starts (its first four bytes give
  // its length), or 0 when the file has no symbol table.
  uint64_t stringTable = 0;
};

// The layout that the start of a file describes. Empty when the bytes do not start a
// well-formed executable (no "MZ", no "PE\0\0" signature, headers or section table outside
// the bytes given). `headers` is the start of the file; the section table must lie within it.
std::optional<ExecutableLayout> ReadExecutableLayout(const unsigned char* headers, size_t size);

}  // namespace rt
