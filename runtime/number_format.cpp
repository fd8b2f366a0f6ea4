#include "runtime/number_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace rt {

namespace {

// The exact decimal digits of a positive finite double: every binary fraction has a finite
// decimal expansion, at most 767 significant digits long. Base-1e9 limbs, least significant first.
class ExactDecimal {
 public:
  explicit ExactDecimal(double value) {
    int binaryExponent = 0;
    const double fraction = std::frexp(value, &binaryExponent);  // value = fraction * 2^exp
    auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
    binaryExponent -= 53;
    // Drop the zero bits at the bottom so that the big number stays small.
    while ((mantissa & 1u) == 0) {
      mantissa >>= 1;
      ++binaryExponent;
    }
    limbs_[0] = static_cast<uint32_t>(mantissa % kBase);
    limbs_[1] = static_cast<uint32_t>(mantissa / kBase % kBase);
    limbs_[2] = static_cast<uint32_t>(mantissa / kBase / kBase);
    count_ = 3;
    Trim();
    if (binaryExponent >= 0) {
      // value = mantissa * 2^e, an integer.
      for (int e = binaryExponent; e > 0; e -= 29) MultiplyBy(uint32_t{1} << std::min(e, 29));
      fractionDigits_ = 0;
    } else {
      // value = mantissa * 5^k / 10^k with k = -e.
      const int k = -binaryExponent;
      for (int left = k; left > 0; left -= 13) MultiplyBy(PowerOfFive(std::min(left, 13)));
      fractionDigits_ = k;
    }
  }

  // Writes the significant digits (no leading zeros) and returns how many there are; the
  // decimal exponent of the first digit is returned through exponent.
  int Digits(char* out, int& exponent) const {
    int length = std::snprintf(out, 16, "%u", limbs_[count_ - 1]);
    for (int i = count_ - 2; i >= 0; --i) length += std::snprintf(out + length, 16, "%09u", limbs_[i]);
    exponent = length - 1 - fractionDigits_;
    return length;
  }

  static constexpr int kMaxDigits = 800;

 private:
  static constexpr uint32_t kBase = 1000000000u;

  static uint32_t PowerOfFive(int n) {
    uint32_t p = 1;
    while (n-- > 0) p *= 5;
    return p;
  }

  void MultiplyBy(uint32_t factor) {
    uint64_t carry = 0;
    for (int i = 0; i < count_; ++i) {
      const uint64_t product = uint64_t{limbs_[i]} * factor + carry;
      limbs_[i] = static_cast<uint32_t>(product % kBase);
      carry = product / kBase;
    }
    while (carry != 0) {
      limbs_[count_++] = static_cast<uint32_t>(carry % kBase);
      carry /= kBase;
    }
  }

  void Trim() {
    while (count_ > 1 && limbs_[count_ - 1] == 0) --count_;
  }

  std::array<uint32_t, 90> limbs_{};
  int count_ = 0;
  int fractionDigits_ = 0;
};

// Rounds the digit string to keep significant digits, half up; returns the new exponent.
int RoundDigits(char* digits, int length, int keep, int exponent) {
  if (length <= keep) {
    std::memset(digits + length, '0', static_cast<size_t>(keep - length));
    return exponent;
  }
  if (digits[keep] >= '5') {
    int i = keep - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i < 0) {
      digits[0] = '1';  // 999.. became 1000..
      return exponent + 1;
    }
    ++digits[i];
  }
  return exponent;
}

// Removes trailing zeros of the fraction and a then bare decimal point.
void TrimFraction(char* text, size_t& length) {
  if (std::memchr(text, '.', length) == nullptr) return;
  while (length > 0 && text[length - 1] == '0') --length;
  if (length > 0 && text[length - 1] == '.') --length;
}

class TextBuilder {
 public:
  explicit TextBuilder(char (&out)[kNumberTextSize]) : out_(out) {}
  void Put(char c) {
    if (length_ + 1 < kNumberTextSize) out_[length_++] = c;
  }
  void Put(const char* text, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(text[i]);
  }
  void Zeros(int count) {
    for (int i = 0; i < count; ++i) Put('0');
  }
  size_t& Length() { return length_; }
  char* Data() { return out_; }
  void Finish() { out_[length_] = '\0'; }

 private:
  char* out_;
  size_t length_ = 0;
};

void FormatSigned(int64_t value, char (&out)[kNumberTextSize]) {
  std::snprintf(out, kNumberTextSize, "%lld", static_cast<long long>(value));
}

}  // namespace

void FormatGeneral(double value, int precision, char (&out)[kNumberTextSize]) {
  if (std::isnan(value)) {
    std::snprintf(out, kNumberTextSize, "nan");
    return;
  }
  if (std::isinf(value)) {
    std::snprintf(out, kNumberTextSize, value < 0 ? "-inf" : "inf");
    return;
  }
  if (value == 0) {  // both zeros
    std::snprintf(out, kNumberTextSize, "0");
    return;
  }
  const int keep = precision < 1 ? 1 : precision;
  char digits[ExactDecimal::kMaxDigits + 32];
  int exponent = 0;
  const int length = ExactDecimal(std::fabs(value)).Digits(digits, exponent);
  exponent = RoundDigits(digits, length, keep, exponent);

  TextBuilder text(out);
  if (value < 0) text.Put('-');
  if (exponent >= -4 && exponent < keep) {
    if (exponent >= 0) {
      text.Put(digits, static_cast<size_t>(exponent + 1));
      text.Put('.');
      text.Put(digits + exponent + 1, static_cast<size_t>(keep - exponent - 1));
    } else {
      text.Put("0.", 2);
      text.Zeros(-exponent - 1);
      text.Put(digits, static_cast<size_t>(keep));
    }
    TrimFraction(text.Data(), text.Length());
  } else {
    text.Put(digits[0]);
    text.Put('.');
    text.Put(digits + 1, static_cast<size_t>(keep - 1));
    TrimFraction(text.Data(), text.Length());
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "e%c%03d", exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    text.Put(exponentText, std::strlen(exponentText));
  }
  text.Finish();
}

void FormatNumber(const ArgRecord& value, char (&out)[kNumberTextSize]) {
  switch (value.tag) {
    case TypeTag::Byte:
      std::snprintf(out, kNumberTextSize, "%u", static_cast<unsigned>(value.low & 0xFFu));
      break;
    case TypeTag::Short:
      FormatSigned(static_cast<int16_t>(value.low & 0xFFFFu), out);
      break;
    case TypeTag::Int:
      FormatSigned(value.AsInt(), out);
      break;
    case TypeTag::Int64:
      FormatSigned(value.AsInt64(), out);
      break;
    case TypeTag::Float:
      FormatGeneral(static_cast<double>(value.AsFloat()), 6, out);
      break;
    case TypeTag::Double:
      FormatGeneral(value.AsDouble(), 13, out);
      break;
    default:
      out[0] = '\0';
      break;
  }
}

namespace {

struct CivilDate {
  int year;
  int month;
  int day;
};

// Gregorian date of a day count since 1970-01-01.
CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

}  // namespace

void FormatDateTime(double days, char (&out)[kNumberTextSize]) {
  constexpr double kFirstDay = -657434;   // 100-01-01
  constexpr double kLastDay = 2958465;    // 9999-12-31
  constexpr int64_t kEpochOffset = 25569;  // 1899-12-30 to 1970-01-01
  if (!(days >= kFirstDay)) days = kFirstDay;  // NaN clamps to the first day as well
  if (days > kLastDay) days = kLastDay;

  // The whole part counts days; the magnitude of the fraction is the time of day, also
  // for the days before 1899-12-30.
  double wholeDays = std::trunc(days);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(days - wholeDays) * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    wholeDays += 1;
  }
  const CivilDate date = CivilFromDays(static_cast<int64_t>(wholeDays) - kEpochOffset);
  const int hour = static_cast<int>(seconds / 3600);
  const int minute = static_cast<int>(seconds / 60 % 60);
  const int second = static_cast<int>(seconds % 60);

  int length = std::snprintf(out, kNumberTextSize, "%d年%d月%d日", date.year, date.month, date.day);
  const size_t room = kNumberTextSize - static_cast<size_t>(length);
  if (second != 0) {
    std::snprintf(out + length, room, "%d时%d分%d秒", hour, minute, second);
  } else if (minute != 0) {
    std::snprintf(out + length, room, "%d时%d分", hour, minute);
  } else if (hour != 0) {
    std::snprintf(out + length, room, "%d时", hour);
  }
}

}  // namespace rt
