// The XP-style look for the standard controls of a thread: push buttons, check boxes, radio
// buttons, group boxes, edit boxes, combo boxes (with their lists) and up-down controls are
// drawn with a soft gradient and a rounded frame in the colour of the chosen scheme.
#pragma once

#include "runtime/value.h"

namespace rt {

// (scheme) -> Int. Schemes 1..3 switch the look on for the calling thread's existing and later
// windows and give 1; any other value switches it off and gives the result of removing the
// creation hook, or 0 when none was set.
void ApplyXpStyle(ArgRecord* result, int32_t argc, const ArgRecord* args);

// The frame colour of a scheme (0x00BBGGRR), or 0 for a scheme without a look.
uint32_t XpFrameColour(int32_t scheme);

}  // namespace rt
