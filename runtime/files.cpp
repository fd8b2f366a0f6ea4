#include "runtime/files.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/memory.h"
#include "runtime/program_path.h"
#include "runtime/wide_text.h"

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

namespace {

// Moves the file behind the handle to the path, over a file that is there, in one step.
bool MoveThroughHandle(HANDLE file, const char* target) {
  const std::wstring path = SystemWidened(target);
  if (file == nullptr || path.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const size_t nameBytes = path.size() * sizeof(wchar_t);
  std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  rename->ReplaceIfExists = TRUE;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(rename->FileName, path.c_str(), nameBytes + sizeof(wchar_t));
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(block.size())) != 0;
}

}  // namespace

void ReplaceFileWith(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ArgRecord source = ArgAt(argc, args, 0);
  const char* target = TextOf(ArgAt(argc, args, 1));
  // Windows refuses to replace a read-only file; some systems that provide the call do not,
  // so the refusal is made here, the same everywhere.
  const DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);  // what Windows itself reports
    return;
  }
  if (source.tag == TypeTag::Int) {
    // The rename is written through like MoveFileEx's: flushed through the moved file's handle.
    HANDLE file = HeldHandle(source);
    SetBool(result, MoveThroughHandle(file, target) && FlushFileBuffers(file) != 0);
    return;
  }
  SetBool(result, MoveFileExA(TextOf(source), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
}

void FileExists(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(TextOf(ArgAt(argc, args, 0)), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  SetBool(result, true);
}

namespace {

// A size as the Int result of an operation: saturated at 2^31 - 1.
int32_t SizeResult(uint64_t size) { return size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(size); }

}  // namespace

void FileSize(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  if (ArgAt(argc, args, 0).tag == TypeTag::Int) {
    LARGE_INTEGER size{};
    const bool known = GetFileSizeEx(HeldHandle(ArgAt(argc, args, 0)), &size) != 0;
    SetInt(result, known ? SizeResult(static_cast<uint64_t>(size.QuadPart)) : -1);
    return;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(TextOf(ArgAt(argc, args, 0)), GetFileExInfoStandard, &data) == 0 ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetInt(result, -1);
    return;
  }
  SetInt(result, SizeResult(uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow));
}

}  // namespace rt
