// The version resource of a Windows executable, read by our own bounded reader: the download
// is untrusted, so every length it states is checked against the bytes that hold it.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace rt {

// A file version: major, minor, build, revision, each an unsigned 16-bit part, compared in
// that order.
struct FileVersionNumber {
  std::array<uint16_t, 4> parts{};

  auto operator<=>(const FileVersionNumber&) const = default;

  // The four parts in one 64-bit word, the most significant first (how the fixed file info
  // stores them), and back.
  uint64_t Packed() const;
  static FileVersionNumber FromPacked(uint64_t packed);
};

// What a file's version resource says.
struct VersionResource {
  enum class State {
    Absent,     // the file has no version resource
    Malformed,  // it has one that cannot be read: a length past its block, a bad key or type
    WellFormed,
  };
  State state = State::Absent;
  // The fixed file info's file version, when the resource has fixed file info.
  std::optional<FileVersionNumber> fileVersion;
  // ProductName of the string table of the first translation, as written (UTF-16, cut at its
  // first NUL); absent when there is no such string or it is empty.
  std::optional<std::u16string> productName;
};

// Reads the version resource in data[0, size). Never reads outside those bytes; anything that
// does not fit its stated lengths makes the whole resource Malformed.
VersionResource ParseVersionResource(const unsigned char* data, size_t size);

}  // namespace rt
