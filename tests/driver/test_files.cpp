#include "tests/driver/test_files.h"

#include <cstdlib>

#include <windows.h>

namespace driver {

namespace {

// Removes a directory with everything in it, read-only files included.
void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = directory + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

}  // namespace

TempDirectory::TempDirectory(const std::string& prefix, const std::string& baseDirectory) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string base = baseDirectory.empty() ? std::string(temp) : baseDirectory + "\\";
  static LONG counter = 0;
  for (;;) {
    path_ = base + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter)) + "-" + std::to_string(GetTickCount());
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
  }
}

TempDirectory::~TempDirectory() { RemoveTree(path_); }

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool FileExistsAt(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool CopyFileTo(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE); }

long long FileSizeAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WriteZeroFile(const std::string& path, long long size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = size;
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
}

std::string ProgramDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of('\\'));
}

std::string ProductDirectory() {
  const char* directory = std::getenv("CORVANE_PRODUCT_DIR");
  return directory != nullptr && *directory != '\0' ? directory : ProgramDirectory();
}

}  // namespace driver
