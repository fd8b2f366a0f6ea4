#include "runtime/pe_image.h"

#include <cstring>

namespace rt {

namespace {

uint32_t Read32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint64_t kSymbolSize = 18;
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr uint64_t kCertificateDirectory = 4;

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
    reach(Read32(section + 20), Read32(section + 16));
  }
  const uint32_t symbolTable = Read32(fileHeader + 8);
  const uint32_t symbolCount = Read32(fileHeader + 12);
  if (symbolTable != 0) {
    layout.stringTable = uint64_t{symbolTable} + uint64_t{symbolCount} * kSymbolSize;
    reach(layout.stringTable, 4);
  }
  // The certificate table is the one data directory given as a file offset.
  const unsigned char* optional = fileHeader + kFileHeaderSize;
  const uint16_t magic = optionalHeaderSize >= 2 ? Read16(optional) : 0;
  const uint64_t directories = magic == kPe32Plus ? 112 : 96;
  const uint64_t certificate = directories + kCertificateDirectory * 8;
  if ((magic == kPe32 || magic == kPe32Plus) && certificate + 8 <= optionalHeaderSize) {
    layout.certificateTableSize = Read32(optional + certificate + 4);
    reach(Read32(optional + certificate), layout.certificateTableSize);
  }
  return layout;
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
