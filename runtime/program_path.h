// The program's own path, split into its directory and file name.
#pragma once

#include <cstddef>

namespace rt {

// Offset of the last "\" separator in path, or -1 when there is none. The search walks the
// text character by character in the ANSI (GBK) code page, so a trail byte 0x5C inside a
// double-byte character is never taken for a separator.
ptrdiff_t LastPathSeparator(const char* path);

// The run directory: the directory of the program's own executable, without a trailing
// separator ("" until SetProgramPath has run, or when the path holds no separator).
const char* RunDirectory();

// The program's file name (the part after the last separator).
const char* ProgramFileName();

// Splits the executable's full path; called once at start-up.
void SetProgramPath(const char* fullPath);

}  // namespace rt
