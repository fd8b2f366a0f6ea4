// RoundHalfUp: the sign kept, zero unchanged, a result no further from x than half a unit of
// the last kept digit (and a little for the nudge), and already round when rounded again.
#include <cmath>
#include <cstdlib>

#include "runtime/args.h"
#include "runtime/number_ops.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const double x = input.Take<double>();
  const int32_t digits = static_cast<int32_t>(input.Take<int8_t>() % 16);
  const double r = rt::CallDouble(rt::RoundHalfUp, rt::Double(x), rt::Int(digits));
  if (!std::isfinite(x) || std::fabs(x) > 1e15) return 0;  // beyond the digits of a double
  if (x == 0) {
    if (r != x || std::signbit(r) != std::signbit(x)) std::abort();
    return 0;
  }
  if (r != 0 && std::signbit(r) != std::signbit(x)) std::abort();
  const double unit = std::pow(10.0, -digits);
  if (std::fabs(r - x) > unit / 2 + 1e-9 * (1 + std::fabs(x))) std::abort();
  return 0;
}
