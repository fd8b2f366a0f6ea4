// Threads of the program.
#pragma once

#include <cstdint>

#include "runtime/args.h"
#include "runtime/value.h"

namespace rt {

// The shape of a routine that runs as a thread: one pointer-sized parameter, __stdcall.
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

// (thread handle, milliseconds) -> Bool: true once the thread has ended (also for handle 0).
// While it waits, the calling thread keeps handling messages that other threads send to its
// windows, so a thread that waits on it cannot deadlock the wait; posted input is left queued.
void WaitForThreadEnd(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (milliseconds, exit code): from now on the process ends with that code after the given
// time at the latest, even if something on its way out waits for ever (a lock that a stopped
// thread held, for instance). It ends without running anything further.
void ArmExitDeadline(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
