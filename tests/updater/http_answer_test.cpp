#include <gtest/gtest.h>

#include "updater/http_answer.h"

namespace updater {
namespace {

PartialAnswer Part(std::string_view range, std::optional<int64_t> length = std::nullopt, std::string_view etag = "",
                   bool encoded = false) {
  return {range, length, etag, encoded};
}

// A partial answer is appended only when it is exactly the rest of the same file: here the
// part holds 5000 bytes of a 10000-byte file named "v1".
TEST(PartialAnswer, OnlyTheRestOfTheSameFileIsAppended) {
  const struct {
    const char* what;
    PartialAnswer answer;
    int64_t wholeSize;
    bool appended;
  } cases[] = {
      {"the rest", Part("bytes 5000-9999/10000", 5000, "\"v1\""), 10000, true},
      {"without length or ETag", Part("bytes 5000-9999/10000"), 10000, true},
      {"the first answer gave no size", Part("bytes 5000-9999/10000"), 0, true},
      {"another start", Part("bytes 4999-9999/10000"), 10000, false},
      {"capped before the end", Part("bytes 5000-8191/10000", 3192), 10000, false},
      {"another total", Part("bytes 5000-10999/11000"), 10000, false},
      {"another ETag", Part("bytes 5000-9999/10000", 5000, "\"v2\""), 10000, false},
      {"a length that is not the range's", Part("bytes 5000-9999/10000", 4999), 10000, false},
      {"compressed", Part("bytes 5000-9999/10000", std::nullopt, "", true), 10000, false},
      {"no Content-Range", Part(""), 10000, false},
      {"an unknown total", Part("bytes 5000-9999/*"), 10000, false},
      {"a blank too many", Part("bytes  5000-9999/10000"), 10000, false},
      {"a sign", Part("bytes +5000-9999/10000"), 10000, false},
      {"another unit", Part("items 5000-9999/10000"), 10000, false},
      {"trailing text", Part("bytes 5000-9999/10000x"), 10000, false},
      {"the end past the total", Part("bytes 5000-10000/10000"), 10000, false},
      {"a number past 2^62", Part("bytes 5000-9999/99999999999999999999"), 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsRestOfTheFile(c.answer, 5000, c.wholeSize, "\"v1\""), c.appended) << c.what;
  }
  // An ETag says nothing where no validator was sent.
  EXPECT_TRUE(IsRestOfTheFile(Part("bytes 5000-9999/10000", 5000, "\"v2\""), 5000, 10000, ""));
}

TEST(PartialAnswer, NumbersAreDigitsOnly) {
  EXPECT_EQ(ParseLength("536870913"), 536870913);
  EXPECT_EQ(ParseLength("0"), 0);
  for (const char* bad : {"", " 5", "5 ", "-5", "+5", "0x10", "4611686018427387905"}) {
    EXPECT_EQ(ParseLength(bad), std::nullopt) << bad;
  }
  const std::optional<ContentRange> range = ParseContentRange("bytes 0-0/1");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 0);
  EXPECT_EQ(range->last, 0);
  EXPECT_EQ(range->whole, 1);
  EXPECT_EQ(ParseContentRange("bytes 9-8/10"), std::nullopt);
}

TEST(Validator, AStrongETagElseALastModifiedASecondBeforeTheAnswer) {
  constexpr char kModified[] = "Wed, 09 Dec 2026 06:00:00 GMT";
  const struct {
    const char* etag;
    const char* lastModified;
    const char* date;
    const char* validator;
  } cases[] = {
      {"\"v1\"", kModified, "Wed, 09 Dec 2026 07:00:00 GMT", "\"v1\""},
      {"W/\"v1\"", kModified, "Wed, 09 Dec 2026 07:00:00 GMT", ""},
      {"", kModified, "Wed, 09 Dec 2026 06:00:01 GMT", kModified},
      {"", kModified, "Wed, 09 Dec 2026 06:00:00 GMT", ""},
      {"", kModified, "Wed, 09 Dec 2026 05:59:59 GMT", ""},
      {"", kModified, "", ""},
      {"", "", "Wed, 09 Dec 2026 07:00:00 GMT", ""},
      {"", "Wednesday, 09-Dec-26 06:00:00 GMT", "Wed, 09 Dec 2026 07:00:00 GMT", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseValidator(c.etag, c.lastModified, c.date), c.validator) << c.etag << c.lastModified << c.date;
  }
}

TEST(Validator, HttpDatesInTheirPreferredForm) {
  EXPECT_EQ(ParseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT"), 0);
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(ParseHttpDate("Tue, 29 Feb 2028 23:59:59 GMT"), 1835481599);
  for (const char* bad : {"Mon, 29 Feb 2027 00:00:00 GMT", "Sun, 06 Nov 1994 24:00:00 GMT", "Sun, 6 Nov 1994 08:49:37 GMT",
                          "Sun, 06 Nov 1994 08:49:37 UTC", "Sun Nov  6 08:49:37 1994", "Sun, 06 Foo 1994 08:49:37 GMT"}) {
    EXPECT_EQ(ParseHttpDate(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace updater
