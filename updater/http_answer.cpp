#include "updater/http_answer.h"

#include <array>

namespace updater {

namespace {

constexpr int64_t kLargestNumber = int64_t{1} << 62;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at the start of text (at least one, none past the largest number) and
// leaves text after them.
std::optional<int64_t> TakeNumber(std::string_view& text) {
  size_t used = 0;
  int64_t value = 0;
  while (used < text.size() && IsDigit(text[used])) {
    const int digit = text[used] - '0';
    if (value > (kLargestNumber - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
    ++used;
  }
  if (used == 0) return std::nullopt;
  text.remove_prefix(used);
  return value;
}

bool Take(std::string_view& text, std::string_view expected) {
  if (text.substr(0, expected.size()) != expected) return false;
  text.remove_prefix(expected.size());
  return true;
}

// A number of exactly `width` digits.
std::optional<int64_t> TakeDigits(std::string_view& text, size_t width) {
  if (text.size() < width) return std::nullopt;
  std::string_view digits = text.substr(0, width);
  const std::optional<int64_t> value = TakeNumber(digits);
  if (!value || !digits.empty()) return std::nullopt;
  text.remove_prefix(width);
  return value;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysSinceEpoch(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t DaysIn(int64_t year, int64_t month) {
  constexpr std::array<int64_t, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[static_cast<size_t>(month - 1)];
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  ContentRange range;
  std::optional<int64_t> first, last, whole;
  if (!Take(value, "bytes ") || !(first = TakeNumber(value)) || !Take(value, "-") || !(last = TakeNumber(value)) ||
      !Take(value, "/") || !(whole = TakeNumber(value)) || !value.empty() || *first > *last || *last >= *whole) {
    return std::nullopt;
  }
  return ContentRange{*first, *last, *whole};
}

std::optional<int64_t> ParseLength(std::string_view value) {
  const std::optional<int64_t> length = TakeNumber(value);
  if (!length || !value.empty()) return std::nullopt;
  return length;
}

bool IsRestOfTheFile(const PartialAnswer& answer, int64_t held, int64_t wholeSize, std::string_view validatorSent) {
  const std::optional<ContentRange> range = ParseContentRange(answer.contentRange);
  if (!range || answer.encoded) return false;
  if (range->first != held || range->last != range->whole - 1) return false;
  if (wholeSize != 0 && range->whole != wholeSize) return false;
  if (answer.contentLength && *answer.contentLength != range->last - range->first + 1) return false;
  return answer.etag.empty() || validatorSent.empty() || answer.etag == validatorSent;
}

std::optional<int64_t> ParseHttpDate(std::string_view value) {
  constexpr std::array<std::string_view, 7> weekdays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  constexpr std::array<std::string_view, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  bool weekday = false;
  for (std::string_view name : weekdays) weekday = weekday || Take(value, name);
  int64_t month = 0;
  std::optional<int64_t> day, year, hour, minute, second;
  if (!weekday || !Take(value, ", ") || !(day = TakeDigits(value, 2)) || !Take(value, " ")) return std::nullopt;
  for (size_t i = 0; i < months.size() && month == 0; ++i) month = Take(value, months[i]) ? int64_t(i) + 1 : 0;
  if (month == 0 || !Take(value, " ") || !(year = TakeDigits(value, 4)) || !Take(value, " ") ||
      !(hour = TakeDigits(value, 2)) || !Take(value, ":") || !(minute = TakeDigits(value, 2)) || !Take(value, ":") ||
      !(second = TakeDigits(value, 2)) || !Take(value, " GMT") || !value.empty()) {
    return std::nullopt;
  }
  if (*day < 1 || *day > DaysIn(*year, month) || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;
  return DaysSinceEpoch(*year, month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

std::string ChooseValidator(std::string_view etag, std::string_view lastModified, std::string_view date) {
  if (!etag.empty()) return etag.substr(0, 2) == "W/" ? std::string() : std::string(etag);
  const std::optional<int64_t> modified = ParseHttpDate(lastModified);
  const std::optional<int64_t> answered = ParseHttpDate(date);
  if (!modified || !answered || *answered < *modified + 1) return {};
  return std::string(lastModified);
}

}  // namespace updater
