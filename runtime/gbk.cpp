#include "runtime/gbk.h"

namespace rt {

namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

}  // namespace

bool EqualIgnoringCase(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *y != 0) {
    if (IsGbkLeadByte(*x) && x[1] != 0) {
      if (x[0] != y[0] || x[1] != y[1]) return false;
      x += 2;
      y += 2;
      continue;
    }
    if (FoldAscii(*x) != FoldAscii(*y)) return false;
    ++x;
    ++y;
  }
  return *x == *y;
}

}  // namespace rt
