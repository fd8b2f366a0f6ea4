// Label: white fill, black text on one line, left-aligned and vertically centred.
#include "ui/control_base.h"

namespace ui {

void PaintLabel(HWND, HDC dc, const RECT& client, const ControlState& state) {
  FillSolid(dc, client, state.def->backColor.Resolve());
  Selection font(dc, FontOf(state));
  SetTextColor(dc, state.def->foreColor.Resolve());
  SetBkMode(dc, TRANSPARENT);
  RECT area = client;
  state.text.Read([&](const char* text, size_t length) {
    // The statistics texts end in a line break, which one line has no use for: drawn, it
    // would show as boxes in some fonts.
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) --length;
    DrawStoredText(dc, text, length, &area, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  });
}

}  // namespace ui
