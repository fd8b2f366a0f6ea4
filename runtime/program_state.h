// Program-wide state of the run that every layer shares: the ending gate, the exit cleanup
// list, and the end of the program.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt {

using CleanupRoutine = void (*)();

// Raised by EndProgram and FatalRuntimeError; while it is 1 or more no event reaches a handler.
extern std::atomic<int32_t> EndingCounter;

// Set once a thread was stopped from outside (KillThread): it may have left a lock held that
// the orderly end of the process would wait for.
extern std::atomic<bool> ThreadWasKilled;

// Appends routine to the exit cleanup list unless it is already there.
void RegisterExitCleanup(CleanupRoutine routine);

// Calls every registered routine in the order of registration, then empties the list.
void RunExitCleanups();

// Empties the list without calling anything (after a fatal error).
void ClearExitCleanups();

using ProgramEndRoutine = void (*)(int32_t code);

// Installs the lifecycle layer's end of the program, at start-up: it stops event delivery,
// destroys the windows, runs the exit cleanups and ends the process, forwarded to the main
// thread when called on another one. The routine does not return.
void SetProgramEnd(ProgramEndRoutine routine);

// Ends the program with the exit code through the installed end. A program without one (a
// test, a probe) ends by running the exit cleanups and exiting.
[[noreturn]] void EndProgram(int32_t code);

}  // namespace rt
