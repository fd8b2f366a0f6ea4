#include "runtime/clock.h"

#include <windows.h>

#include "runtime/command.h"

namespace rt {

void GetUptimeMs(ArgRecord* result, int32_t, const ArgRecord*) {
  SetInt(result, static_cast<int32_t>(GetTickCount()));
}

void Delay(ArgRecord*, int32_t argc, const ArgRecord* args) {
  const int32_t ms = ArgAt(argc, args, 0).AsInt();
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

}  // namespace rt
