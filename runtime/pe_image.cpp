#include "runtime/pe_image.h"

#include <cstring>

#include "runtime/little_endian.h"

namespace rt {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint64_t kSymbolSize = 18;
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr uint64_t kResourceDirectory = 2;
constexpr uint64_t kCertificateDirectory = 4;
constexpr uint32_t kVersionType = 16;
constexpr uint32_t kVersionName = 1;
constexpr uint32_t kLongestVersionResource = 64 * 1024;
constexpr uint32_t kSubdirectory = 0x80000000u;

}  // namespace

std::optional<ExecutableLayout> ReadExecutableLayout(const unsigned char* headers, size_t size) {
  if (size < kDosHeaderSize || headers[0] != 'M' || headers[1] != 'Z') return std::nullopt;
  const uint64_t peOffset = Read32(headers + 0x3C);
  if (peOffset + 4 + kFileHeaderSize > size || std::memcmp(headers + peOffset, "PE\0\0", 4) != 0) return std::nullopt;
  const unsigned char* fileHeader = headers + peOffset + 4;
  const uint16_t sectionCount = Read16(fileHeader + 2);
  const uint16_t optionalHeaderSize = Read16(fileHeader + 16);
  const uint64_t sectionTable = peOffset + 4 + kFileHeaderSize + optionalHeaderSize;
  const uint64_t tableEnd = sectionTable + uint64_t{sectionCount} * kSectionHeaderSize;
  if (sectionCount == 0 || tableEnd > size) return std::nullopt;
  ExecutableLayout layout;
  layout.machine = Read16(fileHeader);
  auto reach = [&](uint64_t offset, uint64_t length) {
    if (length != 0 && offset + length > layout.end) layout.end = offset + length;
  };
  reach(0, tableEnd);
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const unsigned char* section = headers + sectionTable + uint64_t{i} * kSectionHeaderSize;
    const ExecutableLayout::Section spans{Read32(section + 12), Read32(section + 8), Read32(section + 20),
                                          Read32(section + 16)};
    layout.sections.push_back(spans);
    reach(spans.fileOffset, spans.fileSize);
  }
  const uint32_t symbolTable = Read32(fileHeader + 8);
  const uint32_t symbolCount = Read32(fileHeader + 12);
  if (symbolTable != 0) {
    layout.stringTable = uint64_t{symbolTable} + uint64_t{symbolCount} * kSymbolSize;
    reach(layout.stringTable, 4);
  }
  const unsigned char* optional = fileHeader + kFileHeaderSize;
  const uint16_t magic = optionalHeaderSize >= 2 ? Read16(optional) : 0;
  const uint64_t directories = magic == kPe32Plus ? 112 : 96;
  auto directory = [&](uint64_t index) -> const unsigned char* {
    const uint64_t at = directories + index * 8;
    return (magic == kPe32 || magic == kPe32Plus) && at + 8 <= optionalHeaderSize ? optional + at : nullptr;
  };
  // The certificate table is the one data directory given as a file offset.
  if (const unsigned char* certificate = directory(kCertificateDirectory)) {
    layout.certificateTableSize = Read32(certificate + 4);
    reach(Read32(certificate), layout.certificateTableSize);
  }
  if (const unsigned char* resources = directory(kResourceDirectory)) {
    layout.resourceAddress = Read32(resources);
    layout.resourceSize = Read32(resources + 4);
  }
  return layout;
}

namespace {

// Where the loaded bytes [address, address + size) lie in the file: within one section's data.
std::optional<uint64_t> FileOffsetOf(const ExecutableLayout& layout, uint32_t address, uint32_t size) {
  for (const ExecutableLayout::Section& section : layout.sections) {
    const uint64_t start = section.address;
    if (address >= start && uint64_t{address} + size <= start + section.fileSize) {
      return uint64_t{section.fileOffset} + (address - start);
    }
  }
  return std::nullopt;
}

// One entry of a resource directory: its id (or name), and where its data or subdirectory lies.
struct ResourceEntry {
  uint32_t id, target;
};

// Reads the resource directory of the file, which lies in one section.
class ResourceReader {
 public:
  ResourceReader(const ExecutableLayout& layout, const ReadFileBytes& read) : layout_(layout), read_(read) {}

  // The entries of the directory at `directory`, read in one go; empty when they do not lie
  // within the resource directory or are more than a directory may hold.
  std::optional<std::vector<ResourceEntry>> Entries(uint32_t directory) const {
    unsigned char header[16];
    if (!Read(directory, header, sizeof header)) return std::nullopt;
    const uint32_t count = uint32_t{Read16(header + 12)} + Read16(header + 14);
    if (count > kMostResourceEntries) return std::nullopt;
    std::vector<unsigned char> bytes(count * 8);
    if (count > 0 && !Read(directory + 16, bytes.data(), count * 8)) return std::nullopt;
    std::vector<ResourceEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) entries[i] = {Read32(&bytes[i * 8]), Read32(&bytes[i * 8 + 4])};
    return entries;
  }

  bool Read(uint64_t offset, unsigned char* out, uint32_t size) const {
    if (offset + size > layout_.resourceSize) return false;
    const std::optional<uint64_t> at =
        FileOffsetOf(layout_, layout_.resourceAddress + static_cast<uint32_t>(offset), size);
    return at && read_(*at, out, size);
  }

 private:
  const ExecutableLayout& layout_;
  const ReadFileBytes& read_;
};

// Where the entry whose id is `id` points; with `orFirst`, the first entry when none has it.
std::optional<uint32_t> Pick(const std::vector<ResourceEntry>& entries, uint32_t id, bool orFirst) {
  for (const ResourceEntry& entry : entries) {
    if (entry.id == id) return entry.target;
  }
  if (orFirst && !entries.empty()) return entries.front().target;
  return std::nullopt;
}

// The offset of the subdirectory an entry points to; empty when it points to data instead.
std::optional<uint32_t> Subdirectory(std::optional<uint32_t> entry) {
  if (!entry || (*entry & kSubdirectory) == 0) return std::nullopt;
  return *entry & ~kSubdirectory;
}

// The subdirectory that the entry `id` (or the first) of the directory at `directory` points to.
std::optional<uint32_t> SubdirectoryOf(const ResourceReader& resources, uint32_t directory, uint32_t id) {
  const std::optional<std::vector<ResourceEntry>> entries = resources.Entries(directory);
  return entries ? Subdirectory(Pick(*entries, id, true)) : std::nullopt;
}

// Where the data entry at `offset` says the resource lies in the file.
std::optional<FileSpan> DataOf(const ExecutableLayout& layout, const ResourceReader& resources, uint32_t offset) {
  unsigned char data[16];
  if (!resources.Read(offset, data, sizeof data)) return std::nullopt;
  const uint32_t size = Read32(data + 4);
  if (size == 0 || size > kLongestVersionResource) return std::nullopt;
  const std::optional<uint64_t> at = FileOffsetOf(layout, Read32(data), size);
  if (!at) return std::nullopt;
  return FileSpan{*at, size};
}

}  // namespace

VersionResourceLocation FindVersionResource(const ExecutableLayout& layout, const ReadFileBytes& read) {
  using Kind = VersionResourceLocation::Kind;
  if (layout.resourceAddress == 0 || layout.resourceSize == 0) return {};
  const ResourceReader resources(layout, read);
  // Three levels: the type, the name, the language.
  const std::optional<std::vector<ResourceEntry>> types = resources.Entries(0);
  if (!types) return {Kind::Unreadable, {}};
  const std::optional<uint32_t> versionType = Pick(*types, kVersionType, false);
  if (!versionType) return {};
  const std::optional<uint32_t> names = Subdirectory(versionType);
  const std::optional<uint32_t> languages = names ? SubdirectoryOf(resources, *names, kVersionName) : std::nullopt;
  const std::optional<std::vector<ResourceEntry>> leaves =
      languages ? resources.Entries(*languages) : std::nullopt;
  const std::optional<uint32_t> leaf = leaves ? Pick(*leaves, 0, true) : std::nullopt;
  const std::optional<FileSpan> span =
      leaf && (*leaf & kSubdirectory) == 0 ? DataOf(layout, resources, *leaf) : std::nullopt;
  if (!span) return {Kind::Unreadable, {}};
  return {Kind::Found, *span};
}

bool MachineRunsOn(uint16_t system, uint16_t program) {
  if (program == 0) return false;
  if (program == system) return true;
  switch (system) {
    case kMachineAmd64: return program == kMachineI386;
    case kMachineArm64: return program == kMachineI386 || program == kMachineAmd64;
    default: return false;
  }
}

}  // namespace rt
