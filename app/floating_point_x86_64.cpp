#include "app/floating_point.h"

namespace app {

// SSE, which 64-bit code computes with: round to nearest, every exception masked, denormals
// kept (the processor's state after a reset).
void ResetFloatingPoint() {
  const unsigned int defaults = 0x1F80;
  __asm__ volatile("ldmxcsr %0" : : "m"(defaults));
}

}  // namespace app
