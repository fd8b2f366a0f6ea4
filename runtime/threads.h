// Threads of the program.
#pragma once

#include <cstdint>

#include "runtime/args.h"
#include "runtime/value.h"

namespace rt {

// The shape of a routine that runs as a thread: one 32-bit parameter, __stdcall.
using ThreadRoutine = uint32_t(__stdcall*)(void* parameter);

inline ArgRecord ThreadRoutineArg(ThreadRoutine routine) {
  return Pointer(reinterpret_cast<const void*>(routine), TypeTag::SubroutinePtr);
}

// (routine, parameter = 0, handle variable by reference) -> Bool: true when created. With a
// handle variable the new thread's handle (0 on failure) is stored there and stays open;
// without one it is closed at once and the thread runs on.
void StartThread(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (thread handle) -> Bool: terminates the thread with exit code -1; the handle stays open.
void KillThread(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
