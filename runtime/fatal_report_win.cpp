#include <windows.h>

#include <cstring>
#include <iterator>

#include "runtime/fatal_error.h"
#include "runtime/wide_text.h"

namespace rt {

void ShowFatalReport(const char* report) {
  // Converted on the stack, like the report itself: the heap may be the very thing that failed.
  wchar_t text[2048];
  wchar_t caption[8];
  const char kCaption[] = "错误";
  WidenInto(report, std::strlen(report), text, std::size(text));
  WidenInto(kCaption, sizeof kCaption - 1, caption, std::size(caption));
  MessageBoxW(nullptr, text, caption, MB_ICONERROR);
}

}  // namespace rt
