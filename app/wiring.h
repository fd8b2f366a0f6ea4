// What ties the window to the program's own code: the event bindings of its forms, the exit
// cleanups that the program entry registers and the external functions it declares. Every program defines Wiring() once, in a small
// data file of its own (the updater's is event_bindings.cpp), and is linked with app/main.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "runtime/external_functions.h"
#include "runtime/program_state.h"
#include "ui/properties.h"

namespace app {

// A handler: a routine of the program with no arguments and no result. Bound to an event that
// asks a question (close request, end of session), it lets the close or the end go ahead.
using EventHandler = void (*)();

struct EventBinding {
  ui::FormId form;
  ui::ControlId control;  // a control of the form, or the form's window itself
  int32_t event;
  EventHandler handler;   // null: not bound
};

struct ProgramWiring {
  std::span<const EventBinding> bindings;
  std::span<const rt::CleanupRoutine> exitCleanups;  // registered by the program entry, in order
  std::span<const rt::ExternalFunction> externalFunctions;  // declared, bound on first call
  // A run for a task of its own, named on the command line (the updater's raised install): it
  // does that task and ends with its exit code, without a window. Nothing for an ordinary run.
  std::optional<int32_t> (*windowlessTask)() = nullptr;
};

const ProgramWiring& Wiring();

}  // namespace app
