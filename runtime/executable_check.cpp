#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/executable_info.h"
#include "runtime/files.h"
#include "runtime/win_handle.h"

namespace rt {

ScopedHandle OpenForReading(const char* path) {
  return ScopedHandle(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadExecutableHeaders(HANDLE file, std::optional<ExecutableLayout>& layout) {
  // The headers and the section table of an executable lie in its first pages.
  std::vector<unsigned char> headers(64 * 1024);
  DWORD read = 0;
  if (!ReadFile(file, headers.data(), static_cast<DWORD>(headers.size()), &read, nullptr)) return false;
  layout = ReadExecutableLayout(headers.data(), read);
  return true;
}

void IsCompleteExecutable(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  ScopedHandle file = OpenForReading(TextOf(ArgAt(argc, args, 0)));
  if (!file.valid()) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return;
  std::optional<ExecutableLayout> layout;
  if (!ReadExecutableHeaders(file.get(), layout) || !layout) return;
  uint64_t end = layout->end;
  if (layout->stringTable != 0) {
    // The string table's first four bytes give its length, itself included.
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(layout->stringTable);
    uint32_t length = 0;
    DWORD read = 0;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), &length, sizeof length, &read, nullptr) || read != sizeof length) {
      return;
    }
    end = std::max(end, layout->stringTable + length);
  }
  SetBool(result, end <= static_cast<uint64_t>(size.QuadPart));
}

void ExecutableMachine(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  ScopedHandle file = OpenForReading(TextOf(ArgAt(argc, args, 0)));
  std::optional<ExecutableLayout> layout;
  if (file.valid() && ReadExecutableHeaders(file.get(), layout) && layout) SetInt(result, layout->machine);
}

void SystemRunsMachine(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  // The processor of the system itself, also when this program runs under WoW64.
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  uint16_t native = 0;
  switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: native = kMachineI386; break;
    case PROCESSOR_ARCHITECTURE_AMD64: native = kMachineAmd64; break;
    case PROCESSOR_ARCHITECTURE_ARM64: native = kMachineArm64; break;
    default: break;
  }
  SetBool(result, MachineRunsOn(native, static_cast<uint16_t>(ArgAt(argc, args, 0).AsInt())));
}

}  // namespace rt
