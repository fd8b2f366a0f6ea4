// A tiny library for the external-function tests; PROBE_IDENTITY tells the copies apart.
#include <cstdint>

extern "C" {

int32_t __stdcall Identity() { return PROBE_IDENTITY; }

int32_t __stdcall TwoArguments(int32_t a, int32_t b) { return a * 10 + b; }

}
