// ShapeBox: a rectangle filled with the face colour, then outlined and filled in white; the
// container of the statistics labels and the web page.
#include "ui/control_base.h"

namespace ui {

void PaintShapeBox(HWND window, HDC dc, const RECT& client, const ControlState& state) {
  FillSolid(dc, client, state.def->backColor.Resolve());
  const COLORREF line = state.def->foreColor.Resolve();
  GdiObject<HPEN> pen(CreatePen(PS_INSIDEFRAME, 1, line));
  GdiObject<HBRUSH> brush(CreateSolidBrush(line));
  Selection selectPen(dc, pen.get());
  Selection selectBrush(dc, brush.get());
  Rectangle(dc, client.left, client.top, client.right, client.bottom);
  PaintLabelOverflow(window, dc);
}

}  // namespace ui
