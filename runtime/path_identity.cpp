#include "runtime/path_identity.h"

namespace rt {

std::wstring NormalisedPath(std::wstring path) {
  wchar_t buffer[kLongPath];
  DWORD length = GetFullPathNameW(path.c_str(), kLongPath, buffer, nullptr);
  if (length > 0 && length < kLongPath) path.assign(buffer, length);
  length = GetLongPathNameW(path.c_str(), buffer, kLongPath);
  if (length > 0 && length < kLongPath) path.assign(buffer, length);
  return path;
}

std::wstring ExecutableOf(HANDLE process) {
  wchar_t path[kLongPath];
  DWORD length = kLongPath;
  if (process == nullptr || !QueryFullProcessImageNameW(process, 0, path, &length)) return {};
  return NormalisedPath(std::wstring(path, length));
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace rt
