// Label: white fill, black text on one line, left-aligned and vertically centred.
#include "ui/control_base.h"

namespace ui {

namespace {

void PaintLabel(HDC dc, const RECT& client, const ControlState& state) {
  FillSolid(dc, client, state.def->backColor.Resolve());
  Selection font(dc, FontOf(state));
  SetTextColor(dc, state.def->foreColor.Resolve());
  SetBkMode(dc, TRANSPARENT);
  RECT area = client;
  state.text.Read([&](const char* text, size_t length) {
    DrawTextA(dc, text, static_cast<int>(length), &area, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  });
}

}  // namespace

LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = OwnControlState(window, message, lParam);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  if (HandleCommonMessage(window, *state, message, wParam, lParam, result)) return result;
  if (HandlePaintMessages(window, message, wParam, [&](HDC dc, const RECT& client) { PaintLabel(dc, client, *state); }))
    return 0;
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui
