// The bounded reader of version resources, on hand-made resources. Each one is parsed from a
// heap block of exactly its size, so that the sanitizers see any read past it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/version_resource.h"

namespace rt {
namespace {

using namespace std::literals;
using Bytes = std::vector<unsigned char>;
using State = VersionResource::State;

void Put16(Bytes& bytes, size_t at, uint16_t value) { std::memcpy(&bytes[at], &value, 2); }
void Append16(Bytes& bytes, uint16_t value) { bytes.insert(bytes.end(), {uint8_t(value), uint8_t(value >> 8)}); }
void Pad(Bytes& bytes) { bytes.resize((bytes.size() + 3) & ~size_t{3}, 0); }

// A block as a resource compiler writes it: the header, the key, the value and the children,
// each 32-bit aligned; wLength covers the last child's end.
Bytes Block(std::u16string_view key, uint16_t type, uint16_t valueLength, const Bytes& value,
            std::initializer_list<Bytes> children = {}) {
  Bytes bytes(6, 0);
  for (char16_t c : key) Append16(bytes, c);
  Append16(bytes, 0);
  Pad(bytes);
  bytes.insert(bytes.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Pad(bytes);
    bytes.insert(bytes.end(), child.begin(), child.end());
  }
  Put16(bytes, 0, static_cast<uint16_t>(bytes.size()));
  Put16(bytes, 2, valueLength);
  Put16(bytes, 4, type);
  return bytes;
}

Bytes Utf16(std::u16string_view text) {
  Bytes bytes;
  for (char16_t c : text) Append16(bytes, c);
  return bytes;
}

// A string whose stated value length counts its characters and the NUL.
Bytes String(std::u16string_view key, std::u16string_view value) {
  return Block(key, 1, static_cast<uint16_t>(value.size() + 1), Utf16(std::u16string(value) + u'\0'));
}
Bytes Table(std::u16string_view key, std::initializer_list<Bytes> strings) { return Block(key, 1, 0, {}, strings); }
Bytes StringInfo(std::initializer_list<Bytes> tables) { return Block(u"StringFileInfo", 1, 0, {}, tables); }
// \VarFileInfo\Translation with (language, code page) pairs.
Bytes Translations(std::initializer_list<std::pair<uint16_t, uint16_t>> pairs) {
  Bytes value;
  for (auto [language, codePage] : pairs) {
    Append16(value, language);
    Append16(value, codePage);
  }
  return Block(u"VarFileInfo", 1, 0, {}, {Block(u"Translation", 0, static_cast<uint16_t>(value.size()), value)});
}

Bytes FixedInfo(uint32_t versionMs, uint32_t versionLs, uint32_t signature = 0xFEEF04BD) {
  Bytes fixed(52, 0);
  std::memcpy(&fixed[0], &signature, 4);
  std::memcpy(&fixed[8], &versionMs, 4);
  std::memcpy(&fixed[12], &versionLs, 4);
  return fixed;
}

Bytes Root(const Bytes& fixed, std::initializer_list<Bytes> children) {
  return Block(u"VS_VERSION_INFO", 0, static_cast<uint16_t>(fixed.size()), fixed, children);
}

// A resource as built for version 2.0.0.0 of "Corvane", Chinese (PRC), Unicode.
Bytes Corvane() {
  return Root(FixedInfo(0x00020000, 0), {StringInfo({Table(u"080404b0", {String(u"CompanyName", u"Tavlor"),
                                                                          String(u"ProductName", u"Corvane")})}),
                                         Translations({{0x0804, 1200}})});
}

VersionResource Parse(const Bytes& bytes) {
  const auto exact = std::make_unique<unsigned char[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
  return ParseVersionResource(exact.get(), bytes.size());
}

Bytes With(Bytes bytes, size_t at, uint16_t value) {
  Put16(bytes, at, value);
  return bytes;
}

// The bytes cut, or followed by zeros.
Bytes Resized(Bytes bytes, size_t size) {
  bytes.resize(size, 0);
  return bytes;
}

// The 16-bit layout: no wType, an ANSI key.
Bytes SixteenBit() {
  Bytes bytes(4, 0);
  const char key[] = "VS_VERSION_INFO";
  bytes.insert(bytes.end(), key, key + sizeof key);
  Pad(bytes);
  const Bytes fixed = FixedInfo(0x00010000, 0);
  bytes.insert(bytes.end(), fixed.begin(), fixed.end());
  Put16(bytes, 0, static_cast<uint16_t>(bytes.size()));
  Put16(bytes, 2, 52);
  return bytes;
}

TEST(VersionResource, WhatDoesNotFitItsLengthsIsMalformed) {
  const Bytes good = Corvane();
  const size_t stringInfo = 92;  // after the root's header, key and fixed info
  ASSERT_EQ(good[stringInfo + 6], 'S');
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"nothing", {}},
      {"less than a header", Bytes{0x06, 0x00, 0x00}},
      {"the root's length past the end", With(good, 0, static_cast<uint16_t>(good.size() + 4))},
      {"a root shorter than its header", With(good, 0, 4)},
      // Fewer than a header's bytes past the end would be padding within the child.
      {"a child's length past its parent, within the bytes",
       Resized(With(good, stringInfo, static_cast<uint16_t>(good.size() - stringInfo + 4)), good.size() + 4)},
      {"a child of length 0", Root(FixedInfo(1, 0), {With(StringInfo({}), 0, 0)})},
      {"the 16-bit layout", SixteenBit()},
      {"another key", Block(u"VS_VERSION_INFP", 0, 52, FixedInfo(1, 0))},
      {"a text root", Block(u"VS_VERSION_INFO", 1, 26, FixedInfo(1, 0))},
      {"a type that is neither binary nor text", Root(FixedInfo(1, 0), {With(StringInfo({}), 4, 2)})},
      {"an unterminated key", With(Utf16(u"\0\0\0VS_VERSION_INFO"sv), 0, 36)},
      // Its NUL lies past both its own and its parent's stated length.
      {"a key that runs past its block", With(With(Root(FixedInfo(1, 0), {StringInfo({})}), stringInfo, 20), 0, 112)},
      {"a fixed info of 48 bytes", Block(u"VS_VERSION_INFO", 0, 48, Resized(FixedInfo(1, 0), 48))},
      {"a fixed info without its signature", Root(FixedInfo(1, 0, 0xFEEF04BC), {})},
      {"a fixed info past the root", With(Root({}, {}), 2, 52)},
      {"a string's value past its block",
       Root({}, {StringInfo({Table(u"080404b0", {With(String(u"ProductName", u"Corvane"), 2, 40)})})})},
      {"a translation of 2 bytes", Root({}, {Block(u"VarFileInfo", 1, 0, {}, {Block(u"Translation", 0, 2, {4, 8})})})},
      {"blocks nested deeper than strings",
       Root({}, {StringInfo({Table(u"080404b0", {Block(u"ProductName", 1, 0, {}, {String(u"x", u"y")})})})})},
  };
  for (const auto& c : cases) {
    const VersionResource read = Parse(c.bytes);
    EXPECT_EQ(read.state, State::Malformed) << c.what;
    EXPECT_EQ(read.fileVersion, std::nullopt) << c.what;
    EXPECT_EQ(read.productName, std::nullopt) << c.what;
  }
}

TEST(VersionResource, AWellFormedOneGivesItsVersionAndTheFirstTranslationsProductName) {
  using V = FileVersionNumber;
  const Bytes corvane = Corvane();
  const struct {
    const char* what;
    Bytes bytes;
    std::optional<V> version;
    std::optional<std::u16string> product;
  } cases[] = {
      {"as built", corvane, V{{2, 0, 0, 0}}, u"Corvane"},
      {"followed by padding", Resized(corvane, corvane.size() + 3), V{{2, 0, 0, 0}}, u"Corvane"},
      {"the highest version", Root(FixedInfo(0xFFFFFFFF, 0xFFFFFFFF), {}), V{{65535, 65535, 65535, 65535}}, std::nullopt},
      {"each part in its place", Root(FixedInfo(0x00010002, 0x00030004), {}), V{{1, 2, 3, 4}}, std::nullopt},
      {"no fixed info",
       Root({}, {StringInfo({Table(u"080404b0", {String(u"ProductName", u"Corvane")})}), Translations({{0x0804, 1200}})}),
       std::nullopt, u"Corvane"},
      {"a version without a product name",
       Root(FixedInfo(0x00020000, 0), {StringInfo({Table(u"080404b0", {String(u"CompanyName", u"Tavlor")})}),
                                       Translations({{0x0804, 1200}})}),
       V{{2, 0, 0, 0}}, std::nullopt},
      {"the first translation's table, whichever comes first, its digits in either case",
       Root({}, {StringInfo({Table(u"080404b0", {String(u"ProductName", u"Tavlor Helper")}),
                             Table(u"040904B0", {String(u"ProductName", u"\u5854\u6C83")})}),
                 Translations({{0x0409, 1200}, {0x0804, 1200}})}),
       std::nullopt, u"\u5854\u6C83"},
      {"no table of the first translation",
       Root({}, {StringInfo({Table(u"080404b0", {String(u"ProductName", u"Corvane")})}),
                 Translations({{0x0409, 1200}, {0x0804, 1200}})}),
       std::nullopt, std::nullopt},
      {"no translation", Root({}, {StringInfo({Table(u"080404b0", {String(u"ProductName", u"Corvane")})})}), std::nullopt,
       std::nullopt},
      {"an empty product name",
       Root({}, {StringInfo({Table(u"080404b0", {String(u"ProductName", u"")})}), Translations({{0x0804, 1200}})}),
       std::nullopt, std::nullopt},
      // Stated as 3 characters without a NUL: the next string's characters are not taken.
      {"an unterminated product name is cut at its stated length",
       Root({}, {StringInfo({Table(u"080404b0", {Block(u"ProductName", 1, 3, Utf16(u"Cor")), String(u"Z", u"vane")})}),
                 Translations({{0x0804, 1200}})}),
       std::nullopt, u"Cor"},
  };
  for (const auto& c : cases) {
    const VersionResource read = Parse(c.bytes);
    EXPECT_EQ(read.state, State::WellFormed) << c.what;
    EXPECT_EQ(read.fileVersion, c.version) << c.what;
    EXPECT_EQ(read.productName, c.product) << c.what;
  }
}

TEST(FileVersionNumber, ComparesPartByPartUnsigned) {
  const FileVersionNumber ascending[] = {{{0, 0, 0, 0}},     {{1, 0, 0, 0}},         {{1, 0, 0, 1}},
                                         {{1, 1, 0, 0}},     {{32768, 0, 0, 0}},     {{65535, 0, 0, 0}},
                                         {{65535, 65535, 65535, 65535}}};
  for (size_t i = 0; i < std::size(ascending); ++i) {
    for (size_t j = 0; j < std::size(ascending); ++j) {
      EXPECT_EQ(ascending[i] < ascending[j], i < j) << i << " " << j;
      EXPECT_EQ(ascending[i] == ascending[j], i == j) << i << " " << j;
    }
    EXPECT_EQ(FileVersionNumber::FromPacked(ascending[i].Packed()), ascending[i]) << i;
  }
  EXPECT_EQ((FileVersionNumber{{1, 2, 3, 4}}.Packed()), 0x0001000200030004u);
}

}  // namespace
}  // namespace rt
