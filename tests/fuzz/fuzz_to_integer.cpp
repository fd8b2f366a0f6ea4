// ToInteger of texts against a plain reading of the same rule: full-width ASCII folded to
// half-width, then leading white space, a sign and decimal digits, saturated to 32 bits.
#include <climits>
#include <cstdlib>
#include <string>

#include "runtime/args.h"
#include "runtime/number_ops.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

std::string HalfWidth(const std::string& text) {
  std::string folded;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < text.size()) {
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        folded += static_cast<char>(trail - 0x80);
      } else if (lead == 0xA1 && trail == 0xA1) {
        folded += ' ';
      } else if (lead == 0xA1 && trail == 0xAB) {
        folded += '~';
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        folded += '*';
      } else {
        folded += text.substr(i, 2);
      }
      ++i;
    } else {
      folded += text[i];
    }
  }
  return folded;
}

int32_t Reference(const std::string& text) {
  const std::string folded = HalfWidth(text);
  size_t i = 0;
  while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= '\t' && folded[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';
  long long value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = value * 10 + (folded[i] - '0');
    if (value > 1LL << 40) value = 1LL << 40;  // far enough beyond 32 bits to saturate
  }
  if (negative) value = -value;
  return value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : static_cast<int32_t>(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const std::string text = input.Rest();
  if (rt::CallInt(rt::ToInteger, rt::TextArg(text.c_str())) != Reference(text)) std::abort();
  return 0;
}
