// A tiny library for the external-function tests; PROBE_IDENTITY tells the copies apart.
#include <cstdint>

extern "C" {

int32_t __stdcall Identity() { return PROBE_IDENTITY; }

int32_t __stdcall TwoArguments(int32_t a, int32_t b) { return a * 10 + b; }

// More arguments than 64-bit Windows passes in registers: the last two travel on the stack.
int32_t __stdcall SixArguments(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f) {
  return ((((a * 10 + b) * 10 + c) * 10 + d) * 10 + e) * 10 + f;
}

// A pointer-sized word comes back whole.
uintptr_t __stdcall Echo(uintptr_t word) { return word; }

}
