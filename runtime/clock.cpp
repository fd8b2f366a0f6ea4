#include "runtime/clock.h"

#include <windows.h>

#include "runtime/command.h"

namespace rt {

void GetUptimeMs(ArgRecord* result, int32_t, const ArgRecord*) {
  SetInt(result, static_cast<int32_t>(GetTickCount()));
}

}  // namespace rt
