// SuperBtn: a push button the program draws itself, in the colours of its state (mouse
// outside, mouse over it, holding the focus), with neither border nor focus rectangle.
#include "ui/control_base.h"
#include "ui/events.h"

namespace ui {

namespace {

struct Colors {
  COLORREF text, back;
};

Colors CurrentColors(HWND window, const ControlState& state) {
  const StateColors& colors = *state.def->stateColors;
  if (state.mouseInside) return {colors.textIn.Resolve(), colors.backIn.Resolve()};
  if (GetFocus() == window) return {colors.textFocus.Resolve(), colors.backFocus.Resolve()};
  return {colors.textOut.Resolve(), colors.backOut.Resolve()};
}

}  // namespace

void PaintSuperBtn(HWND window, HDC dc, const RECT& client, const ControlState& state) {
  const Colors colors = CurrentColors(window, state);
  FillSolid(dc, client, colors.back);
  Selection font(dc, FontOf(state));
  SetTextColor(dc, colors.text);
  SetBkMode(dc, TRANSPARENT);
  RECT area = client;
  state.text.Read([&](const char* text, size_t length) {
    DrawStoredText(dc, text, length, &area, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  });
}

namespace {

void Click(ControlState& state) { RaiseEvent(*state.form, state.id, event::Click); }

}  // namespace

// Hover and focus colours, and a click on release inside.
bool HandleSuperBtnMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                           LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!state.mouseInside) {
        state.mouseInside = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      return true;
    case WM_MOUSELEAVE:
      state.mouseInside = false;
      InvalidateRect(window, nullptr, FALSE);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, FALSE);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(window);
      SetCapture(window);
      state.pressed = true;
      return true;
    case WM_LBUTTONUP: {
      const bool wasPressed = state.pressed;
      state.pressed = false;
      ReleaseCapture();
      RECT client;
      GetClientRect(window, &client);
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (wasPressed && PtInRect(&client, at)) Click(state);
      return true;
    }
    case WM_CAPTURECHANGED:
      state.pressed = false;
      return true;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Click(state);
      return true;
    case BM_CLICK:
      Click(state);
      return true;
    case WM_GETDLGCODE:
      result = DLGC_BUTTON;
      return true;
    default:
      return false;
  }
}

}  // namespace ui
