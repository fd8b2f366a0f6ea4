#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/command.h"
#include "runtime/files.h"
#include "runtime/pe_image.h"
#include "runtime/win_handle.h"

namespace rt {

void IsCompleteExecutable(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  ScopedHandle file(CreateFileA(TextOf(ArgAt(argc, args, 0)), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return;
  // The headers and the section table of an executable lie in its first pages.
  std::vector<unsigned char> headers(64 * 1024);
  DWORD read = 0;
  if (!ReadFile(file.get(), headers.data(), static_cast<DWORD>(headers.size()), &read, nullptr)) return;
  const std::optional<ExecutableLayout> layout = ReadExecutableLayout(headers.data(), read);
  if (!layout) return;
  uint64_t end = layout->end;
  if (layout->stringTable != 0) {
    // The string table's first four bytes give its length, itself included.
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(layout->stringTable);
    uint32_t length = 0;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), &length, sizeof length, &read, nullptr) || read != sizeof length) {
      return;
    }
    end = std::max(end, layout->stringTable + length);
  }
  SetBool(result, end <= static_cast<uint64_t>(size.QuadPart));
}

}  // namespace rt
