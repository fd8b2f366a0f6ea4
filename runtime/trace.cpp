#include "runtime/trace.h"

#include <windows.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace rt {

namespace {

// Appends to line[used...]; a line too long for the buffer is cut, never overrun.
void Append(char (&line)[1024], size_t& used, const char* format, auto... values) {
  if (used >= sizeof line - 1) return;
  const int written = std::snprintf(line + used, sizeof line - used, format, values...);
  if (written > 0) used = std::min(sizeof line - 1, used + static_cast<size_t>(written));
}

}  // namespace

void Trace(const char* what, std::initializer_list<TraceValue> values) {
  char line[1024];
  size_t used = 0;
  Append(line, used, "CorvaneUpdater: %s", what);
  for (const TraceValue& value : values) {
    if (value.text != nullptr) {
      Append(line, used, " %s=\"%s\"", value.name, value.text);
    } else {
      Append(line, used, " %s=%" PRId64, value.name, value.number);
    }
  }
  Append(line, used, "\n");
  OutputDebugStringA(line);
}

uint32_t LastSystemError() { return GetLastError(); }

}  // namespace rt
