#include "runtime/version_resource.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/little_endian.h"

namespace rt {

uint64_t FileVersionNumber::Packed() const {
  return uint64_t{parts[0]} << 48 | uint64_t{parts[1]} << 32 | uint64_t{parts[2]} << 16 | parts[3];
}

FileVersionNumber FileVersionNumber::FromPacked(uint64_t packed) {
  return {{static_cast<uint16_t>(packed >> 48), static_cast<uint16_t>(packed >> 32), static_cast<uint16_t>(packed >> 16),
           static_cast<uint16_t>(packed)}};
}

namespace {

// Every block starts with wLength, wValueLength and wType, then its NUL-terminated UTF-16 key.
constexpr size_t kBlockHeaderSize = 6;
constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
// Below the root: StringFileInfo or VarFileInfo, then a string table or a Var, then a string.
constexpr int kDeepestLevel = 3;

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

// Keys are compared as the system compares them: ASCII letters without case.
bool SameKey(std::u16string_view key, std::string_view ascii) {
  if (key.size() != ascii.size()) return false;
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  for (size_t i = 0; i < key.size(); ++i) {
    if (fold(key[i]) != fold(static_cast<unsigned char>(ascii[i]))) return false;
  }
  return true;
}

// One block of the resource, as offsets into it: its value, its children, its end.
struct Block {
  std::u16string key;
  uint16_t type = kBinary;
  size_t valueStart = 0, valueSize = 0;
  size_t childrenStart = 0, end = 0;
};

class Reader {
 public:
  Reader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  VersionResource Read() {
    // A malformed resource says nothing, not even what its first blocks seemed to say.
    const VersionResource malformed{VersionResource::State::Malformed, std::nullopt, std::nullopt};
    const std::optional<Block> root = BlockAt(0, size_);
    if (!root || root->key != u"VS_VERSION_INFO" || root->type != kBinary) return malformed;
    std::optional<FileVersionNumber> version;
    if (!ReadFixedInfo(*root, version) || !ReadChildren(*root, 1, {}, {})) return malformed;
    return {VersionResource::State::WellFormed, version, ProductNameOfFirstTranslation()};
  }

 private:
  // The block at `offset` that has to end by `limit` (its parent's end); empty when it does not.
  std::optional<Block> BlockAt(size_t offset, size_t limit) const {
    if (limit > size_ || offset > limit || limit - offset < kBlockHeaderSize) return std::nullopt;
    const size_t length = Read16(data_ + offset);
    if (length < kBlockHeaderSize || length > limit - offset) return std::nullopt;
    Block block;
    block.end = offset + length;
    const uint16_t valueLength = Read16(data_ + offset + 2);
    block.type = Read16(data_ + offset + 4);
    if (block.type != kBinary && block.type != kText) return std::nullopt;
    size_t at = offset + kBlockHeaderSize;
    for (;; at += 2) {
      if (block.end - at < 2) return std::nullopt;  // the key runs to the block's end unterminated
      const char16_t c = Read16(data_ + at);
      if (c == 0) break;
      block.key.push_back(c);
    }
    block.valueStart = Align4(at + 2);
    block.valueSize = block.type == kText ? size_t{valueLength} * 2 : valueLength;
    if (block.valueSize > 0 && (block.valueStart > block.end || block.valueSize > block.end - block.valueStart)) {
      return std::nullopt;
    }
    block.childrenStart = block.valueSize > 0 ? Align4(block.valueStart + block.valueSize) : block.valueStart;
    return block;
  }

  // The root's value: none, or a whole VS_FIXEDFILEINFO with its signature.
  bool ReadFixedInfo(const Block& root, std::optional<FileVersionNumber>& version) const {
    if (root.valueSize == 0) return true;
    const unsigned char* fixed = data_ + root.valueStart;
    if (root.valueSize != kFixedInfoSize || Read32(fixed) != kFixedInfoSignature) return false;
    version = FileVersionNumber::FromPacked(uint64_t{Read32(fixed + 8)} << 32 | Read32(fixed + 12));
    return true;
  }

  // Walks every child of `parent` (each 32-bit aligned, within the parent's length), taking the
  // translations and product names on the way; false as soon as one does not fit.
  bool ReadChildren(const Block& parent, int level, std::u16string_view fileInfo, std::u16string_view table) {
    size_t at = parent.childrenStart;
    // Fewer bytes than a header at the end are padding.
    while (at < parent.end && parent.end - at >= kBlockHeaderSize) {
      const std::optional<Block> child = BlockAt(at, parent.end);
      if (!child || level > kDeepestLevel || !Take(*child, level, fileInfo, table)) return false;
      const std::u16string_view info = level == 1 ? std::u16string_view(child->key) : fileInfo;
      const std::u16string_view tableKey = level == 2 ? std::u16string_view(child->key) : table;
      if (!ReadChildren(*child, level + 1, info, tableKey)) return false;
      at = Align4(child->end);
    }
    return true;
  }

  bool Take(const Block& child, int level, std::u16string_view fileInfo, std::u16string_view table) {
    if (level == 2 && SameKey(fileInfo, "VarFileInfo") && SameKey(child.key, "Translation")) {
      if (child.valueSize < 4) return false;  // not even one language and code page
      if (!firstTranslation_) firstTranslation_ = Read32(data_ + child.valueStart);
    }
    if (level == 3 && SameKey(fileInfo, "StringFileInfo") && SameKey(child.key, "ProductName")) {
      productNames_.emplace_back(std::u16string(table), TextOf(child));
    }
    return true;
  }

  // A string's value up to its first NUL, never past its stated length.
  std::u16string TextOf(const Block& block) const {
    std::u16string text;
    for (size_t at = block.valueStart; at + 2 <= block.valueStart + block.valueSize; at += 2) {
      const char16_t c = Read16(data_ + at);
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }

  // A string table's key is the translation's language and code page in 8 hex digits.
  std::optional<std::u16string> ProductNameOfFirstTranslation() const {
    if (!firstTranslation_) return std::nullopt;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%04x%04x", unsigned(*firstTranslation_ & 0xFFFF), unsigned(*firstTranslation_ >> 16));
    for (const auto& [table, name] : productNames_) {
      if (SameKey(table, hex)) return name.empty() ? std::nullopt : std::optional<std::u16string>(name);
    }
    return std::nullopt;
  }

  const unsigned char* data_;
  size_t size_;
  std::optional<uint32_t> firstTranslation_;
  std::vector<std::pair<std::u16string, std::u16string>> productNames_;  // (table, name)
};

}  // namespace

VersionResource ParseVersionResource(const unsigned char* data, size_t size) { return Reader(data, size).Read(); }

}  // namespace rt
