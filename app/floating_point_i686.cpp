#include "app/floating_point.h"

namespace app {

// The x87 unit, which 32-bit code computes with: round to nearest, every exception masked,
// 64-bit precision.
void ResetFloatingPoint() { __asm__ volatile("fninit"); }

}  // namespace app
