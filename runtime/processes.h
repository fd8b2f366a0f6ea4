// Starting and stopping other programs.
#pragma once

#include "runtime/value.h"

namespace rt {

// (command line, wait = false, show mode = 2) -> Bool: true when started. Show modes 1..6
// (clamped) are hidden, normal, minimised, maximised, shown without activation, minimised.
// Waits for the program to end, or at most 1000 ms for it to become ready for input.
void RunProgram(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (name or window title: Text | process id: Byte, Short, Int, Float, Double) -> Bool.
// A name matches a top-level window title first, then the first process whose executable
// name equals it ignoring case. Terminates exactly one process with exit code 0; no wait.
void KillProcess(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (executable path, milliseconds) -> Int: ends every running process whose executable is that
// file (the full paths compared without letter case) and waits for all of them to be gone, at
// most the given time in all. A process with top-level windows is first asked to close them
// (WM_CLOSE, so that it can save its work) and given 5 s in all to end by itself; one without a
// window, or still running then, is ended with exit code 0. Processes of other executables, of
// the same name in other folders included, are left alone. The number of processes it ended
// (0: none was running), or -1 when one of them could not be ended or was still there at the
// end of the wait.
void StopProcessesOf(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
