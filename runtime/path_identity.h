// One spelling for every name of a file, so that two names can be told to be the same file.
#pragma once

#include <windows.h>

#include <string>

namespace rt {

// Room for any path that does not need the long-path prefix.
constexpr DWORD kLongPath = 1024;

// The full path with its long folder names, so that "dir\\x.exe", "dir\.\x.exe" and an 8.3
// name compare equal. Wide, because the file system's letter case is compared on UTF-16.
std::wstring NormalisedPath(std::wstring path);

// The executable of a running process, normalised; empty when it cannot be read (a process
// that has just ended, say).
std::wstring ExecutableOf(HANDLE process);

// Paths and names compare as the file system compares them: ignoring case, on UTF-16.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace rt
