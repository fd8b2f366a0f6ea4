#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "runtime/pe_image.h"

namespace rt {
namespace {

// The headers of a small image: DOS header, signature at 0x80, one optional header of 0xE0
// bytes, and sections whose data lie at (offset, size).
std::vector<unsigned char> Headers(std::initializer_list<std::pair<uint32_t, uint32_t>> sections) {
  std::vector<unsigned char> bytes(1024, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = 0x80;
  std::memcpy(&bytes[0x80], "PE\0\0", 4);
  bytes[0x84 + 2] = static_cast<unsigned char>(sections.size());
  bytes[0x84 + 16] = 0xE0;
  size_t at = 0x84 + 20 + 0xE0;
  for (auto [offset, size] : sections) {
    std::memcpy(&bytes[at + 16], &size, 4);
    std::memcpy(&bytes[at + 20], &offset, 4);
    at += 40;
  }
  return bytes;
}

TEST(ExecutableLayout, TheFurthestSectionDataEndsTheImage) {
  const auto headers = Headers({{0x400, 0x1000}, {0x1400, 0x200000}, {0x201400, 0}});
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->end, 0x201400u);
}

TEST(ExecutableLayout, WithoutSectionDataTheHeadersEndIt) {
  const auto headers = Headers({{0, 0}});
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->end, 0x84u + 20 + 0xE0 + 40);
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->stringTable, 0u);
}

TEST(ExecutableLayout, TheSymbolAndCertificateTablesCountToo) {
  auto headers = Headers({{0x400, 0x1000}});
  const uint32_t symbols = 0x3000, symbolCount = 10;
  std::memcpy(&headers[0x84 + 8], &symbols, 4);
  std::memcpy(&headers[0x84 + 12], &symbolCount, 4);
  const auto withSymbols = ReadExecutableLayout(headers.data(), headers.size());
  ASSERT_TRUE(withSymbols);
  EXPECT_EQ(withSymbols->stringTable, 0x3000u + 10 * 18);
  EXPECT_EQ(withSymbols->end, 0x3000u + 10 * 18 + 4);
  EXPECT_EQ(withSymbols->certificateTableSize, 0u);

  // A 32-bit optional header: its certificate directory entry lies 96 + 4 * 8 bytes in.
  headers[0x98] = 0x0B;
  headers[0x99] = 0x01;
  const uint32_t certificate = 0x8000, certificateSize = 0x800;
  std::memcpy(&headers[0x98 + 128], &certificate, 4);
  std::memcpy(&headers[0x98 + 132], &certificateSize, 4);
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->end, 0x8800u);
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->certificateTableSize, 0x800u);
}

TEST(ExecutableLayout, TheMachineIsTheFileHeadersFirstField) {
  auto headers = Headers({{0x400, 0x100}});
  headers[0x84] = 0x64;
  headers[0x85] = 0x86;
  EXPECT_EQ(ReadExecutableLayout(headers.data(), headers.size())->machine, kMachineAmd64);
}

TEST(MachineRunsOn, EachWindowsRunsItsOwnKindAndThe32BitOne) {
  const struct {
    uint16_t system, program;
    bool runs;
  } cases[] = {
      {kMachineI386, kMachineI386, true},   {kMachineI386, kMachineAmd64, false}, {kMachineI386, kMachineArm64, false},
      {kMachineAmd64, kMachineAmd64, true}, {kMachineAmd64, kMachineI386, true},  {kMachineAmd64, kMachineArm64, false},
      {kMachineArm64, kMachineArm64, true}, {kMachineArm64, kMachineI386, true},  {kMachineArm64, kMachineAmd64, true},
      {kMachineAmd64, 0, false},            {kMachineAmd64, 0x01C4, false},       {0x01C4, kMachineI386, false},
  };
  for (const auto& c : cases) EXPECT_EQ(MachineRunsOn(c.system, c.program), c.runs) << c.system << " " << c.program;
}

TEST(ExecutableLayout, WhatIsNoExecutable) {
  auto headers = Headers({{0x400, 0x100}});
  const std::string page = "<html><body>404</body></html>";
  EXPECT_FALSE(ReadExecutableLayout(reinterpret_cast<const unsigned char*>(page.data()), page.size()));
  EXPECT_FALSE(ReadExecutableLayout(headers.data(), 63));   // shorter than the DOS header
  EXPECT_FALSE(ReadExecutableLayout(headers.data(), 0x90));  // the section table is cut off
  auto noSignature = headers;
  noSignature[0x81] = 'X';
  EXPECT_FALSE(ReadExecutableLayout(noSignature.data(), noSignature.size()));
  auto farSignature = headers;
  farSignature[0x3C] = 0xFF;
  farSignature[0x3F] = 0x7F;  // far beyond the bytes given
  EXPECT_FALSE(ReadExecutableLayout(farSignature.data(), farSignature.size()));
  auto noSections = Headers({});
  EXPECT_FALSE(ReadExecutableLayout(noSections.data(), noSections.size()));
}

// A whole small 32-bit image whose one section (loaded at 0x1000, in the file at 0x400) holds
// the resource directory: the types icon (3) and version (16), version's one name and one
// language, and the version resource itself, 0x20 bytes at 0x1060.
class VersionResourceFile {
 public:
  explicit VersionResourceFile(uint32_t sectionSize = 0x200) : bytes_(Headers({{0x400, sectionSize}})) {
    bytes_.resize(0x400 + sectionSize, 0);
    Put16(0x98, 0x10B);  // a 32-bit optional header
    Put32(0x98 + 96 + 2 * 8, 0x1000);  // the resource directory entry
    DirectorySize(0x100);
    Put32(0x84 + 20 + 0xE0 + 12, 0x1000);  // the section's address once loaded
    Directory(0x00, {{3, 0x80000000u | 0x100}, {16, 0x80000000u | 0x20}});
    Directory(0x20, {{1, 0x80000000u | 0x38}});
    Directory(0x38, {{0x804, 0x50}});
    Put32(kResources + 0x50, 0x1060);
    Put32(kResources + 0x54, 0x20);
  }

  static constexpr uint32_t kResources = 0x400;

  void Put16(size_t at, uint16_t value) { std::memcpy(&bytes_[at], &value, 2); }
  void Put32(size_t at, uint32_t value) { std::memcpy(&bytes_[at], &value, 4); }
  void DirectorySize(uint32_t size) { Put32(0x98 + 96 + 2 * 8 + 4, size); }
  // A directory at `offset` of the resources with entries of (id, where its data lies).
  void Directory(uint32_t offset, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
    Put16(kResources + offset + 14, static_cast<uint16_t>(entries.size()));
    uint32_t at = kResources + offset + 16;
    for (auto [id, data] : entries) {
      Put32(at, id);
      Put32(at + 4, data);
      at += 8;
    }
  }

  VersionResourceLocation Find() {
    const std::optional<ExecutableLayout> layout = ReadExecutableLayout(bytes_.data(), bytes_.size());
    EXPECT_TRUE(layout);
    if (!layout) return {};
    return FindVersionResource(*layout, [this](uint64_t offset, void* out, uint32_t size) {
      ++reads;
      if (offset + size > bytes_.size()) return false;
      std::memcpy(out, &bytes_[offset], size);
      return true;
    });
  }

  int reads = 0;

 private:
  std::vector<unsigned char> bytes_;
};

using Kind = VersionResourceLocation::Kind;

TEST(VersionResource, IsFoundThroughTheThreeLevelsOfTheResourceDirectory) {
  const struct {
    const char* what;
    void (*change)(VersionResourceFile&);
    Kind kind;
    uint64_t offset;  // where the resource lies in the file, when it is found
  } cases[] = {
      {"as built", [](VersionResourceFile&) {}, Kind::Found, 0x460},
      {"a name other than 1 is taken when it is the only one",
       [](VersionResourceFile& f) { f.Directory(0x20, {{7, 0x80000000u | 0x38}}); }, Kind::Found, 0x460},
      {"name 1 is taken among several",
       [](VersionResourceFile& f) {
         f.Directory(0x20, {{5, 0x80000000u | 0x80}, {1, 0x80000000u | 0x38}});
         f.Directory(0x80, {{0x409, 0x90}});  // name 5's data entry is empty
       },
       Kind::Found, 0x460},
      {"no version type", [](VersionResourceFile& f) { f.Directory(0x00, {{3, 0x80000000u | 0x100}, {14, 0x80000000u | 0x20}}); },
       Kind::None, 0},
      {"no resource directory", [](VersionResourceFile& f) { f.Put32(0x98 + 96 + 2 * 8, 0); }, Kind::None, 0},
      {"a type directory past the directory's size", [](VersionResourceFile& f) { f.DirectorySize(8); }, Kind::Unreadable, 0},
      {"a version type that points to data", [](VersionResourceFile& f) { f.Directory(0x00, {{16, 0x50}}); },
       Kind::Unreadable, 0},
      {"a version type without names", [](VersionResourceFile& f) { f.Directory(0x20, {}); }, Kind::Unreadable, 0},
      {"a subdirectory where the data entry belongs",
       [](VersionResourceFile& f) { f.Directory(0x38, {{0x804, 0x80000000u | 0x50}}); }, Kind::Unreadable, 0},
      {"a type entry beyond the directory's size",
       [](VersionResourceFile& f) { f.Directory(0x00, {{16, 0x80000000u | 0xFFF0}}); }, Kind::Unreadable, 0},
      {"data outside every section", [](VersionResourceFile& f) { f.Put32(VersionResourceFile::kResources + 0x50, 0x3000); },
       Kind::Unreadable, 0},
      {"data running past the section's end",
       [](VersionResourceFile& f) { f.Put32(VersionResourceFile::kResources + 0x54, 0x1A1); }, Kind::Unreadable, 0},
      {"an empty resource", [](VersionResourceFile& f) { f.Put32(VersionResourceFile::kResources + 0x54, 0); },
       Kind::Unreadable, 0},
  };
  for (const auto& c : cases) {
    VersionResourceFile file;
    c.change(file);
    const VersionResourceLocation found = file.Find();
    EXPECT_EQ(found.kind, c.kind) << c.what;
    EXPECT_EQ(found.span.offset, c.offset) << c.what;
    EXPECT_EQ(found.span.size, c.kind == Kind::Found ? 0x20u : 0u) << c.what;
  }
}

// Each level's entries are read in one go, and a level of more than 4096 is no directory.
TEST(VersionResource, ADirectoryLevelHoldsAtMost4096Entries) {
  for (const uint32_t count : {kMostResourceEntries, kMostResourceEntries + 1}) {
    VersionResourceFile file(0x9000);
    file.DirectorySize(0x8200);
    std::vector<std::pair<uint32_t, uint32_t>> types(count - 1, {3, 0x80000000u | 0x8100});
    types.emplace_back(16, 0x80000000u | 0x8100);
    file.Directory(0x00, types);
    file.Directory(0x8100, {{1, 0x80000000u | 0x8118}});
    file.Directory(0x8118, {{0x804, 0x8130}});
    file.Put32(VersionResourceFile::kResources + 0x8130, 0x1000 + 0x8140);
    file.Put32(VersionResourceFile::kResources + 0x8134, 0x20);
    const VersionResourceLocation found = file.Find();
    if (count == kMostResourceEntries) {
      EXPECT_EQ(found.kind, Kind::Found);
      EXPECT_EQ(found.span.offset, 0x400u + 0x8140);
      EXPECT_EQ(file.reads, 7) << "a header and its entries for each level, then the data entry";
    } else {
      EXPECT_EQ(found.kind, Kind::Unreadable);
      EXPECT_EQ(file.reads, 1) << "the header alone";
    }
  }
}

}  // namespace
}  // namespace rt
