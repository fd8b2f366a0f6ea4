// The program's frame: start-up, the start window, the message loop, event dispatch and the
// runtime state of the run. Its end of the program is installed as rt::EndProgram's at start-up.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/events.h"
#include "ui/properties.h"

namespace app {

// The program entry: runtime, floating-point unit, exit cleanups, start window, message loop.
int32_t ProgramEntry();

// Prepares the runtime for the run; the first thing the program entry does.
void RuntimeInit();

// The end of the program (rt::EndProgram once RuntimeInit has run): stops event delivery,
// destroys the windows, runs the exit cleanups and ends the process; forwarded to the main
// thread from any other.
[[noreturn]] void EndTheProgram(int32_t code);

// Shows the form's window: brings an existing one forward, or creates it, raises its created,
// position-changed and size-changed events and then shows it. Returns only on success.
void LoadStartWindow(ui::FormId form);

// Pumps the main thread's messages until a quit message arrives; returns at once when no
// window is alive.
void RunMessageLoop();

// Delivers an event to its bound handler, on the main thread. Nothing runs while the program
// is ending.
ui::EventAnswer FireEvent(ui::FormId form, ui::ControlId control, int32_t event);

DWORD MainThreadId();

}  // namespace app
