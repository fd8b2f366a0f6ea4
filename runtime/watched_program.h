// A program started and watched: whether it ends, and with which exit code.
#pragma once

#include "runtime/args.h"
#include "runtime/unique_resource.h"
#include "runtime/value.h"

namespace rt {

// (command line) -> Int: the started program, 0 when it could not be started (the system's
// error code is then the last one). Shown as a normal window; the Int stands for the program
// in the operations below.
void StartWatchedProgram(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (program, milliseconds) -> Bool: true once the program has ended, waiting at most that long.
void WaitForProgramEnd(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (program) -> Int: the exit code of a program that has ended (an unhandled exception's code,
// 0xC0000005 say, for one that crashed).
void ProgramExitCode(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (program) -> nothing: stops watching; the program runs on.
void LetGoOfProgram(ArgRecord* result, int32_t argc, const ArgRecord* args);

struct WatchedProgramResource {
  static bool Holds(int32_t program) { return program != 0; }
  static void Release(int32_t program) { Call(LetGoOfProgram, Int(program)); }
};

// A watched program, let go of with its scope.
using WatchedProgram = UniqueResource<int32_t, WatchedProgramResource>;

}  // namespace rt
