// One line for a maintainer beside each failure and refusal the user is told of: the step, and
// the codes that say why (the system's error code, the HTTP status, the check that refused).
// It goes to the platform's debug output, read with a debug viewer, or under Wine with
// WINEDEBUG=+debugstr; the program keeps no log file.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace rt {

// A named value of a trace line: a number, or a text (shown in quotes).
struct TraceValue {
  TraceValue(const char* name, int64_t number) : name(name), number(number) {}
  TraceValue(const char* name, const char* text) : name(name), text(text != nullptr ? text : "") {}

  const char* name;
  const char* text = nullptr;
  int64_t number = 0;
};

// Writes "CorvaneUpdater: <what> name=value ..." as one line. Allocates nothing.
void Trace(const char* what, std::initializer_list<TraceValue> values = {});

// The calling thread's last system error code; read it right after the call that failed.
uint32_t LastSystemError();

}  // namespace rt
