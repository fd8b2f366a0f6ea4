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

void Click(ControlState& state) { RaiseEvent(*state.form, state.id, event::Click); }

}  // namespace

LRESULT CALLBACK SuperBtnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = OwnControlState(window, message, lParam);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  if (HandleOwnControlMessage(window, *state, message, wParam, lParam, PaintSuperBtn, result)) return result;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!state->mouseInside) {
        state->mouseInside = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSELEAVE:
      state->mouseInside = false;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(window);
      SetCapture(window);
      state->pressed = true;
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = state->pressed;
      state->pressed = false;
      ReleaseCapture();
      RECT client;
      GetClientRect(window, &client);
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (wasPressed && PtInRect(&client, at)) Click(*state);
      return 0;
    }
    case WM_CAPTURECHANGED:
      state->pressed = false;
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Click(*state);
      return 0;
    case BM_CLICK:
      Click(*state);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace ui
