#include "runtime/durable_files.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "runtime/command.h"
#include "runtime/executable_file.h"

namespace rt {

namespace {

constexpr DWORD kCopyChunk = 64 * 1024;

// A new file in place of any at the path, each write passed through the cache to the disk.
ScopedHandle CreateWrittenThrough(const char* path) {
  // Windows refuses to write over a read-only file; some systems that provide the call do not
  // (Wine run as root), so the refusal is made here, the same everywhere.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return ScopedHandle();
  }
  return ScopedHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, data, size, &written, nullptr) != 0 && written == size;
}

bool CopyContents(HANDLE source, HANDLE target) {
  std::vector<unsigned char> chunk(kCopyChunk);
  for (uint64_t offset = 0;; offset += kCopyChunk) {
    DWORD read = 0;
    if (!ReadAt(source, offset, chunk.data(), kCopyChunk, read)) return false;
    if (read == 0) return true;
    if (!WriteAll(target, chunk.data(), read)) return false;
  }
}

// Write-through covers the data; the flush also covers the file's size and its directory entry.
bool Finish(HANDLE target) { return FlushFileBuffers(target) != 0; }

}  // namespace

void CopyFileDurably(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* sourcePath = TextOf(ArgAt(argc, args, 0));
  const bool held = ArgAt(argc, args, 2).tag == TypeTag::Bool && ArgAt(argc, args, 2).low != 0;
  const ScopedHandle source = held ? ScopedHandle(CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
                                   : OpenForReading(sourcePath);
  if (!source) return;
  const char* targetPath = TextOf(ArgAt(argc, args, 1));
  const ScopedHandle target = CreateWrittenThrough(targetPath);
  if (!target) return;
  SetBool(result, CopyContents(source.get(), target.get()) && Finish(target.get()));
}

void FlushFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  HANDLE file = HeldHandle(ArgAt(argc, args, 0));
  SetBool(result, KernelHandleResource::Holds(file) && FlushFileBuffers(file) != 0);
}

void WriteTextFileDurably(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ScopedHandle target = CreateWrittenThrough(TextOf(ArgAt(argc, args, 0)));
  if (!target) return;
  const char* text = TextOf(ArgAt(argc, args, 1));
  SetBool(result, WriteAll(target.get(), text, static_cast<DWORD>(std::strlen(text))) && Finish(target.get()));
}

}  // namespace rt
