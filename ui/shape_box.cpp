// ShapeBox: a rectangle filled with the face colour, then outlined and filled in white; the
// container of the statistics labels and the web page.
#include "ui/control_base.h"

namespace ui {

namespace {

void PaintShapeBox(HDC dc, const RECT& client, const ControlState& state) {
  FillSolid(dc, client, state.def->backColor.Resolve());
  const COLORREF line = state.def->foreColor.Resolve();
  GdiObject<HPEN> pen(CreatePen(PS_INSIDEFRAME, 1, line));
  GdiObject<HBRUSH> brush(CreateSolidBrush(line));
  Selection selectPen(dc, pen.get());
  Selection selectBrush(dc, brush.get());
  Rectangle(dc, client.left, client.top, client.right, client.bottom);
}

}  // namespace

LRESULT CALLBACK ShapeBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = OwnControlState(window, message, lParam);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  if (HandleCommonMessage(window, *state, message, wParam, lParam, result)) return result;
  if (HandlePaintMessages(window, message, wParam,
                          [&](HDC dc, const RECT& client) { PaintShapeBox(dc, client, *state); }))
    return 0;
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui
