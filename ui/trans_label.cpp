// TransLabel: text without a background of its own. Whatever lies beneath it shows through:
// each paint first draws the container beneath the label, then every visible sibling beneath
// it that overlaps it, and the text last, so a shorter text leaves no trace of a longer one.
#include <vector>

#include "ui/control_base.h"

namespace ui {

namespace {

RECT RectInParent(HWND window, HWND parent) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Lets `source` paint its client area into dc, its origin moved by `offset`.
void PrintInto(HDC dc, HWND source, POINT offset) {
  POINT previous;
  OffsetViewportOrgEx(dc, offset.x, offset.y, &previous);
  SendMessageA(source, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

void PaintWhatLiesBeneath(HWND label, HDC dc) {
  HWND parent = GetParent(label);
  const RECT mine = RectInParent(label, parent);
  PrintInto(dc, parent, {-mine.left, -mine.top});
  std::vector<HWND> beneath;  // nearest first
  for (HWND sibling = GetWindow(label, GW_HWNDNEXT); sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    RECT overlap;
    const RECT theirs = RectInParent(sibling, parent);
    if (IsWindowVisible(sibling) && IntersectRect(&overlap, &mine, &theirs)) beneath.push_back(sibling);
  }
  for (auto it = beneath.rbegin(); it != beneath.rend(); ++it) {
    const RECT theirs = RectInParent(*it, parent);
    PrintInto(dc, *it, {theirs.left - mine.left, theirs.top - mine.top});
  }
}

}  // namespace

void PaintTransLabel(HWND window, HDC dc, const RECT& client, const ControlState& state) {
  PaintWhatLiesBeneath(window, dc);
  Selection font(dc, FontOf(state));
  SetTextColor(dc, state.def->foreColor.Resolve());
  SetBkMode(dc, TRANSPARENT);
  RECT area = client;
  state.text.Read([&](const char* text, size_t length) {
    DrawStoredText(dc, text, length, &area, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  });
}

}  // namespace ui
