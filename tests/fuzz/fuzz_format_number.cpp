// Number formatting against the C library: "%.<p>g" with three exponent digits, the digits
// rounded half up where the library rounds an exact half to even.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/number_format.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The library's text with its exponent written in three digits.
std::string LibraryText(double x, int precision) {
  char text[128];
  std::snprintf(text, sizeof text, "%.*g", precision, x);
  std::string result = text;
  const size_t e = result.find('e');
  if (e == std::string::npos) return result;
  const std::string digits = result.substr(e + 2);
  return result.substr(0, e + 2) + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

// A number as its significant digits (no leading or trailing zeros) and the decimal exponent
// of the first of them.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool operator==(const Decimal&) const = default;
};

Decimal DecimalOf(const std::string& text) {
  Decimal d;
  int pointAt = -1, exponent = 0, firstAt = -1, count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      pointAt = count;
    } else if (c == 'e') {
      exponent = std::atoi(text.c_str() + i + 1);
      break;
    } else if (c >= '0' && c <= '9') {
      if (firstAt < 0 && c != '0') firstAt = count;
      if (firstAt >= 0) d.digits += c;
      ++count;
    }
  }
  if (pointAt < 0) pointAt = count;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  d.exponent = exponent + pointAt - firstAt - 1;
  return d;
}

// x rounded to `precision` significant digits with halves away from zero, from its exact
// decimal expansion; and whether it was an exact half.
Decimal HalfUp(double x, int precision, bool& exactHalf) {
  static char exact[1200];
  std::snprintf(exact, sizeof exact, "%.1100e", std::fabs(x));  // every digit the double has
  Decimal all = DecimalOf(exact);
  std::string kept = all.digits.substr(0, static_cast<size_t>(precision));
  const std::string rest = all.digits.size() > kept.size() ? all.digits.substr(kept.size()) : "";
  exactHalf = rest == "5";
  int exponent = all.exponent;
  if (!rest.empty() && rest[0] >= '5') {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i < 0) {
      kept.insert(kept.begin(), '1');
      ++exponent;
    } else {
      ++kept[i];
    }
  }
  return DecimalOf(kept + "e" + std::to_string(exponent - static_cast<int>(kept.size()) + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const double x = input.Take<double>();
  const int precision = 1 + input.Take<uint8_t>() % 17;
  char ours[rt::kNumberTextSize];
  rt::FormatGeneral(x, precision, ours);
  if (std::strlen(ours) >= rt::kNumberTextSize) std::abort();
  if (std::isnan(x) || std::isinf(x) || x == 0) return 0;

  // The digits are the exact value's, rounded half up.
  bool exactHalf = false;
  if (DecimalOf(ours) != HalfUp(x, precision, exactHalf)) {
    std::fprintf(stderr, "x=%.17g p=%d ours=%s\n", x, precision, ours);
    std::abort();
  }
  // Everywhere but at an exact half that is also what the C library prints.
  const std::string library = LibraryText(x, precision);
  if (library != ours && !exactHalf) {
    std::fprintf(stderr, "x=%.17g p=%d ours=%s library=%s\n", x, precision, ours, library.c_str());
    std::abort();
  }
  if (precision == 17 && std::strtod(ours, nullptr) != x) std::abort();  // 17 digits give x back
  return 0;
}
