#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/executable_info.h"
#include "runtime/text_ops.h"
#include "runtime/wide_text.h"

namespace rt {

namespace {

// The whole version resource of a file, read through its handle (the system's own reader opens
// the file by name again, which a file held open does not allow); empty when it has none.
std::vector<unsigned char> VersionResource(const ArgRecord& fileArg) {
  const FileArgument file(fileArg);
  std::optional<ExecutableLayout> layout;
  if (!file.valid() || !ReadExecutableHeaders(file.get(), layout) || !layout) return {};
  const auto read = [&](uint64_t offset, void* out, uint32_t size) {
    DWORD got = 0;
    return ReadAt(file.get(), offset, out, size, got) && got == size;
  };
  const std::optional<FileSpan> span = FindVersionResource(*layout, read);
  if (!span) return {};
  std::vector<unsigned char> resource(span->size);
  if (!read(span->offset, resource.data(), span->size)) resource.clear();
  return resource;
}

// The product name of the resource's first language, as written (UTF-16); empty when none.
std::wstring ProductNameOf(std::vector<unsigned char>& resource) {
  struct Translation {
    WORD language, codePage;
  };
  void* value = nullptr;
  UINT length = 0;
  if (resource.empty() || !VerQueryValueW(resource.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
      length < sizeof(Translation)) {
    return {};
  }
  const auto* first = static_cast<const Translation*>(value);
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\ProductName", first->language, first->codePage);
  if (!VerQueryValueW(resource.data(), query, &value, &length) || length == 0) return {};
  return std::wstring(static_cast<const wchar_t*>(value));
}

std::wstring ProductNameOf(const ArgRecord& file) {
  std::vector<unsigned char> resource = VersionResource(file);
  return ProductNameOf(resource);
}

}  // namespace

void FileVersion(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  *result = Int64(-1);
  std::vector<unsigned char> resource = VersionResource(ArgAt(argc, args, 0));
  void* value = nullptr;
  UINT length = 0;
  if (resource.empty() || !VerQueryValueW(resource.data(), L"\\", &value, &length) ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed->dwSignature != VS_FFI_SIGNATURE) return;
  *result = Int64(static_cast<int64_t>((uint64_t{fixed->dwFileVersionMS} << 32) | fixed->dwFileVersionLS));
}

void ProductName(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::wstring name = ProductNameOf(ArgAt(argc, args, 0));
  if (name.empty()) return;
  const int size = WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, text.data(), size, nullptr, nullptr);
  SetPointer(result, ConcatTexts(1, text.c_str()));
}

void OtherProduct(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::wstring first = ProductNameOf(ArgAt(argc, args, 0));
  const std::wstring second = ProductNameOf(ArgAt(argc, args, 1));
  SetBool(result, !first.empty() && !second.empty() && first != second);
}

}  // namespace rt
