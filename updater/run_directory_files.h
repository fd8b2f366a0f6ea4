// Paths of the files in the run directory, built anew for every use.
#pragma once

#include "runtime/owned.h"

namespace updater {

// The run directory followed by suffix, for example "\gx.ini".
rt::OwnedText RunDirectoryFile(const char* suffix);

// The executable named baseName in directory: directory + "\" + baseName + ".exe". A directory
// that already ends with a separator gives two in a row, which paths read as one.
rt::OwnedText ExecutableIn(const char* directory, const char* baseName);

// The files the updater knows by name.
inline constexpr char kHandOffFile[] = "\\gx.ini";
inline constexpr char kClientConfigFile[] = "\\zqd.ini";
inline constexpr char kTemporaryFile[] = "\\更新文件.tmp";
// The SHA-256 of the last download that could not start (failed_version.h).
inline constexpr char kFailedVersionFile[] = "\\rollback.ini";

// The old executable kept beside it, "Corvane.exe.bak", from before the move of the new one until
// the new one has started (kept_copy.h).
rt::OwnedText KeptCopyOf(const char* executablePath);

// The base name of the main application's executable, which the updater replaces and starts.
inline constexpr char kApplicationName[] = "Corvane";

}  // namespace updater
