// A file held open from its first check to its install, so that the bytes installed are the
// bytes checked: while it is held nobody can write it, and every check reads it through the
// holder's handle.
#pragma once

#include "runtime/args.h"
#include "runtime/unique_resource.h"
#include "runtime/value.h"

namespace rt {

// (path) -> Int: the file opened for reading (and for writing, so that it can be flushed before
// it is moved; nothing is written through it); others may read it, but not write, rename or
// delete it, and a file others are writing, or a program that runs, is not held: 0 then, and
// when there is none. The Int stands
// for the file in the operations that take a file, in ReplaceFileWith and in FlushFile.
void HoldFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (held file) -> nothing: closes it.
void LetGoOfFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

struct HeldFileResource {
  static bool Holds(int32_t file) { return file != 0; }
  static void Release(int32_t file) { Call(LetGoOfFile, Int(file)); }
};

// A held file, let go of with its scope.
using HeldFile = UniqueResource<int32_t, HeldFileResource>;

}  // namespace rt
