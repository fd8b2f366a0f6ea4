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

// Ends the program with the exit code: stops event delivery, destroys the windows, runs the
// exit cleanups and ends the process. Called on another thread, it is forwarded to the main
// thread. Defined by the lifecycle layer of the platform.
[[noreturn]] void EndProgram(int32_t code);

}  // namespace rt
