// The program's texts are GBK (code page 936) bytes, whatever the system's own ANSI code page
// is. Shown through the ANSI functions they would be read in that code page, so the places
// that show a text to a person convert it here and use the Unicode functions: then it reads as
// written on every system.
#pragma once

#include <cstddef>
#include <string>

namespace rt {

// The code page of every text the program keeps.
constexpr unsigned kTextCodePage = 936;

// Converts `length` bytes of text into out as UTF-16 with a terminating NUL. A text that does
// not fit is cut: at most capacity - 1 bytes are converted, which always fit, as no byte
// yields more than one unit. Returns the units written, without the NUL. Allocates nothing,
// for the places where the heap may be what failed.
size_t WidenInto(const char* text, size_t length, wchar_t* out, size_t capacity);

// A file name or an address as the system's ANSI functions read it (in the system's own code
// page, the way the ANSI file functions take the program's paths), for a function that only
// takes UTF-16. Empty for null.
std::wstring SystemWidened(const char* text);

// A text as UTF-16, for one call of a Unicode function.
class WideText {
 public:
  explicit WideText(const char* text);  // NUL-terminated; null is the empty text
  WideText(const char* text, size_t length);

  const wchar_t* c_str() const { return text_.c_str(); }
  int length() const { return static_cast<int>(text_.size()); }

 private:
  std::wstring text_;
};

}  // namespace rt
