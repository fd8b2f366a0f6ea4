// Whole-file operations: the run directory, removing, renaming and finding files. Where an
// operation takes a file, it takes its path or a file held open (HoldFile).
#pragma once

#include "runtime/value.h"

namespace rt {

// () -> Text: a new copy of the run directory, without a trailing separator (null when empty).
void GetRunDirectory(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (path) -> Bool: true when the file was deleted.
void RemoveFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (old path, new path) -> Bool: true when moved; an existing file at the new path is never replaced.
void RenameFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file, new path) -> Bool: moves the file over an existing one in a single step, so that at
// every moment the new path names either the old or the complete new file. A held file is
// moved through its handle; either way the move is on the disk when it returns (a held file's
// handle flushed, MOVEFILE_WRITE_THROUGH by name). A read-only file at the new path is not
// replaced.
void ReplaceFileWith(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (path or pattern) -> Bool: true when anything matches, directories and wildcards included.
void FileExists(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Bool: the file is a Windows executable whose headers and sections all lie within
// it, as far as its headers tell (a download cut short is not).
void IsCompleteExecutable(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Int: the file's size in bytes (saturated at 2^31 - 1), or -1 when it cannot be read.
void FileSize(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
