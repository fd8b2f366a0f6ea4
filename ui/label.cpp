// Label: white fill, black text on one line, left-aligned and vertically centred. The text is
// not clipped to the control: what reaches beyond it is drawn by the container, over whatever
// the container shows to the label's right.
#include "ui/control_base.h"

namespace ui {

namespace {

void DrawCaption(HDC dc, const RECT& client, const ControlState& state) {
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

// Where a label lies in its container's client area, and the strip from there to the
// container's right edge, which its text may reach.
struct LabelPlace {
  RECT label;
  RECT strip;
};

LabelPlace PlaceOf(HWND label, HWND container) {
  LabelPlace place;
  GetWindowRect(label, &place.label);
  MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&place.label), 2);
  RECT client;
  GetClientRect(container, &client);
  place.strip = {place.label.right, place.label.top, client.right, place.label.bottom};
  return place;
}

}  // namespace

void PaintLabel(HWND, HDC dc, const RECT& client, const ControlState& state) {
  FillSolid(dc, client, state.def->backColor.Resolve());
  DrawCaption(dc, client, state);
}

void PaintLabelOverflow(HWND container, HDC dc) {
  for (HWND child = GetWindow(container, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const ControlState* state = StateOf(child);
    if (state == nullptr || state->kind != ControlKind::Label || !IsWindowVisible(child)) continue;
    const LabelPlace place = PlaceOf(child, container);
    if (!RectVisible(dc, &place.strip)) continue;  // nothing of it is to be painted
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, place.strip.left, place.strip.top, place.strip.right, place.strip.bottom);
    DrawCaption(dc, place.label, *state);
    RestoreDC(dc, saved);
  }
}

void InvalidateLabelOverflow(HWND label) {
  HWND container = GetParent(label);
  if (container == nullptr) return;
  const LabelPlace place = PlaceOf(label, container);
  InvalidateRect(container, &place.strip, FALSE);
}

}  // namespace ui
