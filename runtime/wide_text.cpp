#include "runtime/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace rt {

size_t WidenInto(const char* text, size_t length, wchar_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  const int bytes = static_cast<int>(std::min(length, capacity - 1));
  int units = bytes > 0 ? MultiByteToWideChar(kTextCodePage, 0, text, bytes, out, bytes) : 0;
  // A system without the code page's tables shows the texts as the ANSI functions would.
  if (units == 0 && bytes > 0) units = MultiByteToWideChar(CP_ACP, 0, text, bytes, out, bytes);
  out[units] = L'\0';
  return static_cast<size_t>(units);
}

std::wstring SystemWidened(const char* text) {
  const int length = text != nullptr ? MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) : 0;
  if (length <= 1) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

WideText::WideText(const char* text) : WideText(text, text != nullptr ? std::strlen(text) : 0) {}

WideText::WideText(const char* text, size_t length) {
  text_.resize(length + 1);
  text_.resize(WidenInto(text, length, text_.data(), text_.size()));
}

}  // namespace rt
