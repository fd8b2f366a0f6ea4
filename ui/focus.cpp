#include "ui/focus.h"

namespace ui {

namespace {

// Shown (by its own flag: the window may be about to show) and enabled.
bool CanTakeFocus(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0 && IsWindowEnabled(window);
}

bool CanTakeFocus(const ControlState& state) {
  HWND window = state.window.load();
  return state.def->tabStop && state.visible.load() && window != nullptr && IsWindowEnabled(window);
}

// The focus rule: the tab-stop control with the lowest tab order; all of this form's tab orders
// are 0, and on equal orders the control listed last wins. False when none can take the focus.
bool FocusByRule(FormInstance& form) {
  HWND chosen = nullptr;
  for (const auto& state : form.controls()) {
    if (CanTakeFocus(*state)) chosen = state->window.load();
  }
  if (chosen == nullptr) return false;
  SetFocus(chosen);
  return true;
}

bool Holds(HWND control, HWND focus) { return focus != nullptr && (focus == control || IsChild(control, focus)); }

}  // namespace

void RestoreFocus(FormInstance& form) {
  HWND last = form.lastFocus;
  if (last != nullptr && IsWindow(last) && IsChild(form.window(), last) && CanTakeFocus(last)) {
    SetFocus(last);
    return;
  }
  FocusByRule(form);
}

void EnableKeepingFocus(FormInstance& form, HWND control, bool enable) {
  const bool heldFocus = !enable && Holds(control, GetFocus());
  EnableWindow(control, enable);
  if (heldFocus && control != form.window() && !FocusByRule(form)) SetFocus(form.window());
}

}  // namespace ui
