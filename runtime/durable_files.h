// Writes that survive a power cut: each returns only once its bytes (and, for a new file, its
// directory entry) are on the disk, so that the run directory never holds a file that looks
// whole and is not.
#pragma once

#include "runtime/value.h"

namespace rt {

// (source path, target path, source held = false) -> Bool: a copy of the source in place of any
// file at the target, written through and flushed before it is closed; true when all of it is
// on the disk. A target that cannot be written (read-only, held open by another program) is
// left as it was. A held source is one that another process holds open (HoldFile): it lets
// nobody else write, move or delete it, so it is read although the holder's handle may.
void CopyFileDurably(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (held file) -> Bool: the file's bytes are on the disk (FlushFileBuffers on the holder's
// handle, which may write it).
void FlushFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (path, text) -> Bool: the file holds exactly the text, written through and flushed.
void WriteTextFileDurably(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
