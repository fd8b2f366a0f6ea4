// Paths of the files in the run directory, built anew for every use.
#pragma once

#include "runtime/owned.h"

namespace updater {

// The run directory followed by suffix, for example "\gx.ini".
rt::OwnedText RunDirectoryFile(const char* suffix);

// The files the updater knows by name.
inline constexpr char kHandOffFile[] = "\\gx.ini";
inline constexpr char kClientConfigFile[] = "\\zqd.ini";
inline constexpr char kTemporaryFile[] = "\\更新文件.tmp";
inline constexpr char kApplicationFile[] = "\\Corvane.exe";

}  // namespace updater
