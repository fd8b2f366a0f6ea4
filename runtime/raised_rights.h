// Administrator rights: whether a folder takes this user's files, whether this process runs
// raised, who started it, and starting this program again raised.
#pragma once

#include "runtime/value.h"

namespace rt {

// (directory) -> Bool: false when this user may not create a file there, found by creating one
// (and removing it at once); true on every other outcome, whose own error the real write meets.
void DirectoryTakesFiles(ArgRecord* result, int32_t argc, const ArgRecord* args);

// () -> Bool: the process runs with an administrator's full rights (an elevated token).
void HasRaisedRights(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (process id) -> Bool: the process of that id started this one, and it runs this very program
// (the same executable file).
void StartedByThisProgram(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (path, path) -> Bool: both name the same file, whatever their spelling (case, "\.\", 8.3).
void SameFilePath(ArgRecord* result, int32_t argc, const ArgRecord* args);

// () -> Text: the user's folder for temporary files, with its trailing separator.
void TemporaryFolder(ArgRecord* result, int32_t argc, const ArgRecord* args);

// () -> Int: the number of arguments on this program's command line after its own name.
void ProgramArgumentCount(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (index from 0) -> Text: that argument, as the system's file functions read names.
void ProgramArgument(ArgRecord* result, int32_t argc, const ArgRecord* args);

// () -> Int: this process's id.
void ThisProcessId(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (parameters) -> Int: this program started again with raised rights (the system asks the user
// first), hidden, with those parameters; the Int is a program as StartWatchedProgram's. 0 when
// it did not start, with the system's error as the last one (ERROR_CANCELLED: the user said no).
void StartThisProgramRaised(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
