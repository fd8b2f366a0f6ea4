#include "runtime/files.h"

#include <windows.h>

#include <cstring>

#include "runtime/command.h"
#include "runtime/memory.h"
#include "runtime/program_path.h"

namespace rt {

void GetRunDirectory(ArgRecord* result, int32_t, const ArgRecord*) {
  const char* directory = RunDirectory();
  const size_t length = std::strlen(directory);
  if (length == 0) return;
  auto* copy = static_cast<char*>(RuntimeAlloc(length + 1));
  std::memcpy(copy, directory, length + 1);
  SetPointer(result, copy);
}

void RemoveFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  SetBool(result, DeleteFileA(TextOf(ArgAt(argc, args, 0))) != 0);
}

void RenameFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  SetBool(result, MoveFileA(TextOf(ArgAt(argc, args, 0)), TextOf(ArgAt(argc, args, 1))) != 0);
}

void ReplaceFileWith(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* target = TextOf(ArgAt(argc, args, 1));
  // Windows refuses to replace a read-only file; some systems that provide the call do not,
  // so the refusal is made here, the same everywhere.
  const DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);  // what Windows itself reports
    return;
  }
  SetBool(result, MoveFileExA(TextOf(ArgAt(argc, args, 0)), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
}

void FileExists(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(TextOf(ArgAt(argc, args, 0)), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  SetBool(result, true);
}

void FileSize(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(TextOf(ArgAt(argc, args, 0)), GetFileExInfoStandard, &data) == 0 ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetInt(result, -1);
    return;
  }
  const bool huge = data.nFileSizeHigh != 0 || data.nFileSizeLow > 0x7FFFFFFFu;
  SetInt(result, huge ? 0x7FFFFFFF : static_cast<int32_t>(data.nFileSizeLow));
}

}  // namespace rt
