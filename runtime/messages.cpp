#include "runtime/messages.h"

#include <windows.h>

#include <cstring>

#include "runtime/command.h"
#include "runtime/number_format.h"
#include "runtime/wide_text.h"

namespace rt {

namespace {

HWND OwnerOf(int32_t argc, const ArgRecord* args) {
  if (argc < 4) return nullptr;
  const ArgRecord owner = args[3];
  // A window reference carries the whole handle; an integer holds its 32 significant bits,
  // which 64-bit Windows widens with the sign.
  if (owner.tag == TypeTag::WindowRef) return static_cast<HWND>(owner.AsPointer());
  if (owner.tag == TypeTag::Int) return static_cast<HWND>(LongToHandle(owner.AsInt()));
  return nullptr;
}

int32_t ButtonCode(int pressed) {
  switch (pressed) {
    case IDCANCEL: return 1;
    case IDABORT: return 2;
    case IDRETRY: return 3;
    case IDIGNORE: return 4;
    case IDYES: return 5;
    case IDNO: return 6;
    default: return 0;  // IDOK and anything unexpected
  }
}

}  // namespace

void MessageTextOf(const ArgRecord& message, char (&out)[100]) {
  static_assert(sizeof out == kNumberTextSize, "numbers are formatted into the same buffer");
  out[0] = '\0';
  if (IsNumeric(message.tag)) {
    FormatNumber(message, out);
  } else if (message.tag == TypeTag::Bool) {
    std::strcpy(out, message.low != 0 ? "真" : "假");
  } else if (message.tag == TypeTag::DateTime) {
    FormatDateTime(message.AsDouble(), out);
  }
}

void ShowMessage(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const ArgRecord message = ArgAt(argc, args, 0);
  char formatted[kNumberTextSize];
  MessageTextOf(message, formatted);
  const char* text = message.tag == TypeTag::Text ? TextOf(message) : formatted;

  const ArgRecord captionArg = ArgAt(argc, args, 2);
  const char* caption = captionArg.tag == TypeTag::Omitted ? "信息：" : TextOf(captionArg);

  UINT style = ArgAt(argc, args, 1).low;  // Omitted reads as 0
  if ((style & MB_SYSTEMMODAL) == 0) style |= MB_TASKMODAL;

  const WideText wideText(text), wideCaption(caption);
  SetInt(result, ButtonCode(MessageBoxW(OwnerOf(argc, args), wideText.c_str(), wideCaption.c_str(), style)));
}

}  // namespace rt
