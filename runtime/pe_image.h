// What the headers of a Windows executable say about its own length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace rt {

// Where the parts of an executable file lie that its headers know of.
struct ExecutableLayout {
  // The end of the furthest of the headers, every section's data, the symbol table and the
  // certificate table: the file must be at least this long.
  uint64_t end = 0;
  // Where the string table that follows the symbol table starts (its first four bytes give
  // its length), or 0 when the file has no symbol table.
  uint64_t stringTable = 0;
  // The length of the certificate table, where a code signature lies: 0 when it has none.
  uint32_t certificateTableSize = 0;
  // The processor the program is for (the file header's machine field).
  uint16_t machine = 0;
  // Where the resource directory lies once loaded (0 when the file has none).
  uint32_t resourceAddress = 0;
  uint32_t resourceSize = 0;
  // Each section: where its data lies once loaded and in the file.
  struct Section {
    uint32_t address, loadedSize, fileOffset, fileSize;
  };
  std::vector<Section> sections;
};

// A stretch of the file.
struct FileSpan {
  uint64_t offset = 0;
  uint32_t size = 0;
};

// Machine fields of the processors the updater knows.
inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kMachineArm64 = 0xAA64;

// Whether a Windows whose processor is `system` starts a program built for `program`: its own
// kind, and 32-bit x86 programs on the 64-bit ones (and x64 programs on ARM64 Windows).
bool MachineRunsOn(uint16_t system, uint16_t program);

// The layout that the start of a file describes. Empty when the bytes do not start a
// well-formed executable (no "MZ", no "PE\0\0" signature, headers or section table outside
// the bytes given). `headers` is the start of the file; the section table must lie within it.
std::optional<ExecutableLayout> ReadExecutableLayout(const unsigned char* headers, size_t size);

// Reads size bytes of the file at offset into out; false when the file has fewer there.
using ReadFileBytes = std::function<bool(uint64_t offset, void* out, uint32_t size)>;

// Where the version resource lies in the file, as its resource directory says.
struct VersionResourceLocation {
  enum class Kind {
    None,         // no resource directory, or no version type in it
    Unreadable,   // a version entry that points nowhere sensible, or a malformed directory
    Found,
  };
  Kind kind = Kind::None;
  FileSpan span;
};

// No directory level may hold more entries: Corvane's resources need a handful, and a count
// of tens of thousands is only there to make the reader work.
inline constexpr uint32_t kMostResourceEntries = 4096;

// Finds the version resource (the one named 1 where there are several, in its first language)
// through the resource directory, which must lie within the file's sections. No resource is
// taken longer than 64 KiB.
VersionResourceLocation FindVersionResource(const ExecutableLayout& layout, const ReadFileBytes& read);

}  // namespace rt
