// What an executable says of itself: the processor it is for, its version and its product.
#pragma once

#include "runtime/value.h"

namespace rt {

// Each operation that takes a file takes its path or a file held open (HoldFile).

// (file) -> Int: the machine field of the executable's file header (0x14C for 32-bit x86,
// 0x8664 for x64), 0 when the file is no executable or cannot be read.
void ExecutableMachine(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (machine) -> Bool: this Windows starts programs built for that machine.
void SystemRunsMachine(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Int: whether the executable carries a version resource: 1 one that reads well,
// -1 one that cannot be read (a directory entry that points nowhere sensible, or a resource
// whose lengths, keys or types do not fit), 0 none (also for no executable, or no file).
void VersionResourceOf(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Int64: the file version of the executable's version resource, its four parts
// from the most significant down, 16 bits each (see FileVersionNumber::FromPacked). Without
// one the result stays Omitted: every value, all ones too, is a version.
void FileVersion(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Text: the product name of the executable's version resource (of its first
// translation) in the ANSI code page, for people to read; null when it has none.
void ProductName(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (installed, download) -> Bool: the installed executable names a product and the download
// does not name the same one, naming another or none (compared as written, in UTF-16, so that
// no character is lost to the code page).
void OtherProduct(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
