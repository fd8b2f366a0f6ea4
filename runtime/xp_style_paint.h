// Drawing of the XP-style look, one routine per kind of control.
#pragma once

#include <windows.h>

namespace rt {

enum class XpKind : int { None, PushButton, CheckBox, RadioButton, GroupBox, Edit, ComboBox, ComboList, UpDown };

struct XpColours {
  COLORREF frame;      // the scheme's frame colour
  COLORREF light;      // top of the gradient
  COLORREF tint;       // bottom of the gradient
  COLORREF hotFrame;   // frame while the mouse is over the control
};

XpColours XpColoursFor(COLORREF frame);

struct XpButtonState {
  bool hot;
  bool pressed;
  bool focused;
  bool disabled;
  int check;  // 0 unchecked, 1 checked, 2 indeterminate
};

void PaintXpPushButton(HWND button, HDC dc, const XpColours& colours, const XpButtonState& state);
void PaintXpCheckOrRadio(HWND button, HDC dc, const XpColours& colours, const XpButtonState& state, bool radio);
void PaintXpGroupBox(HWND box, HDC dc, const XpColours& colours, bool disabled);
// Draws a one-pixel frame over the control's outer edge (edit, combo, list, up-down).
void PaintXpOuterFrame(HWND control, const XpColours& colours, bool hot);

}  // namespace rt
