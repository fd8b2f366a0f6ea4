#include <gtest/gtest.h>

#include <cstring>
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

}  // namespace
}  // namespace rt
