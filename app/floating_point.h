// The floating-point unit's state at the start of the program, whatever the system left: one
// file per architecture (floating_point_<processor>.cpp), chosen by the build.
#pragma once

namespace app {

void ResetFloatingPoint();

}  // namespace app
