// The window definition as data: the form's own attributes and one row per control, in the
// order of the form (which is also the stacking order within each container, top first).
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "ui/properties.h"

namespace ui {

enum class ControlKind : uint8_t {
  Window,
  Label,
  TransLabel,
  ShapeBox,
  HtmlViewer,
  EditBox,
  SuperBtn,
  ProcessBar,
  Button,
};

// A colour of the form; Default stands for the system's button-face colour.
struct Color {
  COLORREF rgb;
  bool isDefault = false;
  COLORREF Resolve() const { return isDefault ? GetSysColor(COLOR_BTNFACE) : rgb; }
};
constexpr Color FaceColor{0, true};

// A stored font; an empty face name leaves the face to the character set.
struct FontDef {
  const char* face;
  int32_t height;
  int32_t weight;
  uint8_t charset;
  uint8_t pitchAndFamily;
};

// The SuperBtn's colours for its three states.
struct StateColors {
  Color textOut, backOut;
  Color textIn, backIn;
  Color textFocus, backFocus;
};

struct ControlDef {
  const char* name;
  ControlKind kind;
  ControlId id;
  ControlId container;  // UpdaterWindow or another control of the form
  int32_t left, top, width, height;  // relative to the container's client area
  bool visible;
  bool tabStop;
  const char* text;  // caption or content; the HtmlViewer's address
  Color foreColor;  // text colour; a ShapeBox's line and fill colour
  Color backColor;
  const FontDef* font;  // null: the system's default GUI font
  const StateColors* stateColors;  // SuperBtn only
  // ProcessBar range and start position.
  int32_t minimum = 0, maximum = 0, position = 0;
};

struct FormDef {
  FormId id;
  ControlId windowId;
  const char* title;
  int32_t clientWidth, clientHeight;
  int32_t storedLeft, storedTop;  // replaced by centring on the screen
  COLORREF background;
  std::span<const ControlDef> controls;
};

// The updater's window, UpdaterWindow.
const FormDef& UpdaterFormDef();

// The row of a control, or null when the form has no such control.
const ControlDef* FindControlDef(const FormDef& form, ControlId control);

// Whether pressing the mouse on a control of this kind drags the window instead.
bool PassesClicksThrough(ControlKind kind);

// Whether a control of this kind raises events at all.
bool KindHasEvents(ControlKind kind);

}  // namespace ui
