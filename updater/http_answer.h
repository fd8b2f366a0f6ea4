// What the download makes of an answer's header lines: whether a partial answer is the rest of
// the file that the bytes held were cut from, and how the file's version is named for If-Range.
// Plain computations on the texts, so they are tested natively too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

// "Content-Range: bytes first-last/whole", every number decimal digits only.
struct ContentRange {
  int64_t first = 0, last = 0, whole = 0;
};

// The value of a Content-Range line, read strictly: "bytes S-E/T", S <= E < T; anything else
// (another unit, "*", blanks, signs, a missing part, a number past 2^62) is none.
std::optional<ContentRange> ParseContentRange(std::string_view value);

// A Content-Length value: decimal digits only, at most 2^62.
std::optional<int64_t> ParseLength(std::string_view value);

// The header lines of a 206 answer that say which bytes it carries.
struct PartialAnswer {
  std::string_view contentRange;         // "" when absent
  std::optional<int64_t> contentLength;  // none when absent
  std::string_view etag;                 // "" when absent
  bool encoded = false;                  // it has a content coding
};

// Whether a 206 answer carries exactly the rest of the file: from the first byte not held to
// the last byte of the file, of the file's whole size as the first answer gave it (0: it gave
// none), its length and ETag (when it names one, and a validator was sent) agreeing, and not
// compressed. Anything else would stitch two files together.
bool IsRestOfTheFile(const PartialAnswer& answer, int64_t held, int64_t wholeSize, std::string_view validatorSent);

// Seconds since 1970 of an HTTP date in its preferred form, "Sun, 06 Nov 1994 08:49:37 GMT";
// none for any other text.
std::optional<int64_t> ParseHttpDate(std::string_view value);

// The validator a resume sends as If-Range: the answer's strong ETag; with a weak one, none;
// without any, its Last-Modified date, but only where the answer's Date is at least a second
// later (a date is a strong validator only then). "" when there is none: no resume.
std::string ChooseValidator(std::string_view etag, std::string_view lastModified, std::string_view date);

}  // namespace updater
