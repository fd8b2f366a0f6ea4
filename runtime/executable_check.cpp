#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/executable_info.h"
#include "runtime/files.h"
#include "runtime/wide_text.h"
#include "runtime/win_handle.h"

namespace rt {

ScopedHandle OpenForReading(const char* path) {
  return ScopedHandle(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileArgument::FileArgument(const ArgRecord& arg) {
  if (arg.tag == TypeTag::Int) {
    handle_ = HeldHandle(arg);
    return;
  }
  path_ = TextOf(arg);
  owned_ = OpenForReading(path_);
  handle_ = owned_.get();
}

std::wstring FileArgument::WidePath() const {
  if (path_ != nullptr) return SystemWidened(path_);
  wchar_t path[MAX_PATH * 2];
  const DWORD length = GetFinalPathNameByHandleW(handle_, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(path, length) : std::wstring();
}

bool ReadAt(HANDLE file, uint64_t offset, void* out, DWORD size, DWORD& read) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  read = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, out, size, &read, nullptr);
}

bool ReadExecutableHeaders(HANDLE file, std::optional<ExecutableLayout>& layout) {
  // The headers and the section table of an executable lie in its first pages.
  std::vector<unsigned char> headers(64 * 1024);
  DWORD read = 0;
  if (!ReadAt(file, 0, headers.data(), static_cast<DWORD>(headers.size()), read)) return false;
  layout = ReadExecutableLayout(headers.data(), read);
  return true;
}

void IsCompleteExecutable(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileArgument file(ArgAt(argc, args, 0));
  if (!file.valid()) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return;
  std::optional<ExecutableLayout> layout;
  if (!ReadExecutableHeaders(file.get(), layout) || !layout) return;
  uint64_t end = layout->end;
  if (layout->stringTable != 0) {
    // The string table's first four bytes give its length, itself included.
    uint32_t length = 0;
    DWORD read = 0;
    if (!ReadAt(file.get(), layout->stringTable, &length, sizeof length, read) || read != sizeof length) return;
    end = std::max(end, layout->stringTable + length);
  }
  SetBool(result, end <= static_cast<uint64_t>(size.QuadPart));
}

void ExecutableMachine(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileArgument file(ArgAt(argc, args, 0));
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
