#include "runtime/number_ops.h"

#include <climits>
#include <cmath>

#include "runtime/command.h"
#include "runtime/fatal_error.h"
#include "runtime/gbk.h"

namespace rt {

namespace {

// The value of a numeric (or date) argument as a double; anything else counts as 0.
double NumberOf(const ArgRecord& arg) {
  switch (arg.tag) {
    case TypeTag::Byte: return static_cast<double>(arg.low & 0xFFu);
    case TypeTag::Short: return static_cast<double>(static_cast<int16_t>(arg.low & 0xFFFFu));
    case TypeTag::Int:
    case TypeTag::Bool: return static_cast<double>(arg.AsInt());
    case TypeTag::Int64: return static_cast<double>(arg.AsInt64());
    case TypeTag::Float: return static_cast<double>(arg.AsFloat());
    case TypeTag::Double:
    case TypeTag::DateTime: return arg.AsDouble();
    default: return 0.0;
  }
}

// Rounds a non-negative scaled value to a whole number, halves upward; the 1e-12 nudge carries
// values that binary arithmetic left just below a half.
double RoundScaled(double y) {
  double whole = 0;
  const double fraction = std::modf(y + 0.000000000001, &whole);
  return fraction >= 0.5 ? whole + 1 : whole;
}

// Truncation toward zero to a signed 64-bit integer; values outside its range (and NaN) give
// the integer indefinite value, as the x87 conversion does.
int64_t TruncateToInt64(double x) {
  if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<int64_t>(x);
}

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads the next byte of the text brought to half-width form: full-width ASCII (A3 A1..FE)
// becomes its single-byte form, the ideographic space a space, A1 AB "~", A1 EE/EF "*".
// A double-byte character that is not folded yields its lead byte and then its trail byte.
class HalfWidthReader {
 public:
  explicit HalfWidthReader(const char* text) : p_(reinterpret_cast<const unsigned char*>(text)) {}

  unsigned char Peek() const {
    if (pendingTrail_ != 0) return pendingTrail_;
    const unsigned char lead = p_[0];
    if (!IsGbkLeadByte(lead) || p_[1] == 0) return lead;
    const unsigned char trail = p_[1];
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<unsigned char>(trail - 0x80);
    if (lead == 0xA1 && trail == 0xA1) return ' ';
    if (lead == 0xA1 && trail == 0xAB) return '~';
    if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) return '*';
    return lead;
  }

  void Next() {
    if (pendingTrail_ != 0) {
      pendingTrail_ = 0;
      return;
    }
    const unsigned char lead = p_[0];
    if (!IsGbkLeadByte(lead) || p_[1] == 0) {
      ++p_;
      return;
    }
    const unsigned char folded = Peek();
    if (folded == lead) pendingTrail_ = p_[1];  // copied unchanged: the trail byte comes next
    p_ += 2;
  }

 private:
  const unsigned char* p_;
  unsigned char pendingTrail_ = 0;
};

}  // namespace

double RoundHalfUpValue(double x, int32_t digits) {
  if (x == 0) return x;
  const bool negative = x < 0;
  const double magnitude = std::fabs(x);
  double r;
  if (digits > 0) {
    const double p = std::pow(10.0, digits);
    r = RoundScaled(magnitude * p) / p;
  } else if (digits == 0) {
    r = RoundScaled(magnitude);
  } else {
    const double p = std::pow(10.0, -static_cast<double>(digits));
    r = RoundScaled(magnitude / p) * p;
  }
  return negative ? -r : r;
}

int32_t TextToInteger(const char* text) {
  HalfWidthReader reader(text);
  while (IsSpace(reader.Peek())) reader.Next();
  bool negative = false;
  if (reader.Peek() == '+' || reader.Peek() == '-') {
    negative = reader.Peek() == '-';
    reader.Next();
  }
  // Out-of-range values saturate, as the C library's conversion does.
  int64_t value = 0;
  for (unsigned char c = reader.Peek(); c >= '0' && c <= '9'; c = reader.Peek()) {
    if (value <= int64_t{INT32_MAX} + 1) value = value * 10 + (c - '0');
    reader.Next();
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void RoundHalfUp(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ArgRecord digits = ArgAt(argc, args, 1);
  SetDouble(result, RoundHalfUpValue(NumberOf(ArgAt(argc, args, 0)),
                                     digits.tag == TypeTag::Omitted ? 0 : digits.AsInt()));
}

void IntegerDivide(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  double x = NumberOf(ArgAt(argc, args, 0));
  for (int32_t i = 1; i < argc; ++i) {
    const double divisor = NumberOf(args[i]);
    if (divisor == 0) FatalRuntimeError("不能整除于零", 0);
    x = std::trunc(x / divisor);
  }
  SetDouble(result, x);
}

void Remainder(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  double x = NumberOf(ArgAt(argc, args, 0));
  for (int32_t i = 1; i < argc; ++i) {
    const double divisor = NumberOf(args[i]);
    if (divisor == 0) FatalRuntimeError("不能求余数于零", 0);
    x = std::fmod(x, divisor);
  }
  SetDouble(result, x);
}

void ToInteger(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ArgRecord value = ArgAt(argc, args, 0);
  int32_t integer = 0;
  switch (value.tag) {
    case TypeTag::Byte: integer = static_cast<int32_t>(value.low & 0xFFu); break;
    case TypeTag::Short: integer = static_cast<int16_t>(value.low & 0xFFFFu); break;
    case TypeTag::Int:
    case TypeTag::Bool:
    case TypeTag::Int64:
    case TypeTag::SubroutinePtr: integer = static_cast<int32_t>(value.low); break;
    case TypeTag::Float:
    case TypeTag::Double:
      integer = static_cast<int32_t>(static_cast<uint32_t>(TruncateToInt64(NumberOf(value))));
      break;
    case TypeTag::Text: integer = TextToInteger(TextOf(value)); break;
    default: break;
  }
  SetInt(result, integer);
}

void BitAnd(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  uint32_t bits = argc > 0 ? args[0].low : 0;
  for (int32_t i = 1; i < argc; ++i) bits &= args[i].low;
  result->low = bits;
}

}  // namespace rt
