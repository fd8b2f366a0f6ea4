#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/executable_info.h"
#include "runtime/text_ops.h"
#include "runtime/version_resource.h"

namespace rt {

namespace {

using State = VersionResource::State;

// The version resource of a file, read through its handle (the system's own reader opens the
// file by name again, which a file held open does not allow) and parsed by our bounded reader.
// A file that cannot be opened, or is no executable, has none.
VersionResource VersionResourceOfFile(const ArgRecord& fileArg) {
  const FileArgument file(fileArg);
  std::optional<ExecutableLayout> layout;
  if (!file.valid()) return {};
  if (!ReadExecutableHeaders(file.get(), layout)) return {State::Malformed, std::nullopt, std::nullopt};
  if (!layout) return {};
  const auto read = [&](uint64_t offset, void* out, uint32_t size) {
    DWORD got = 0;
    return ReadAt(file.get(), offset, out, size, got) && got == size;
  };
  const VersionResourceLocation found = FindVersionResource(*layout, read);
  if (found.kind == VersionResourceLocation::Kind::None) return {};
  std::vector<unsigned char> resource(found.span.size);
  if (found.kind == VersionResourceLocation::Kind::Unreadable || !read(found.span.offset, resource.data(), found.span.size)) {
    return {State::Malformed, std::nullopt, std::nullopt};
  }
  return ParseVersionResource(resource.data(), resource.size());
}

std::optional<std::u16string> ProductNameOf(const ArgRecord& file) { return VersionResourceOfFile(file).productName; }

}  // namespace

void VersionResourceOf(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  switch (VersionResourceOfFile(ArgAt(argc, args, 0)).state) {
    case State::Absent: SetInt(result, 0); break;
    case State::Malformed: SetInt(result, -1); break;
    case State::WellFormed: SetInt(result, 1); break;
  }
}

void FileVersion(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::optional<FileVersionNumber> version = VersionResourceOfFile(ArgAt(argc, args, 0)).fileVersion;
  if (version) *result = Int64(static_cast<int64_t>(version->Packed()));
}

void ProductName(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::optional<std::u16string> name = ProductNameOf(ArgAt(argc, args, 0));
  if (!name) return;
  const auto* wide = reinterpret_cast<const wchar_t*>(name->c_str());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
  SetPointer(result, ConcatTexts(1, text.c_str()));
}

void OtherProduct(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::optional<std::u16string> installed = ProductNameOf(ArgAt(argc, args, 0));
  const std::optional<std::u16string> download = ProductNameOf(ArgAt(argc, args, 1));
  SetBool(result, installed && download != installed);
}

}  // namespace rt
