// Where the keyboard focus goes inside a form's window, so that the window keeps the keyboard
// (and Esc with it) in every state of its controls.
#pragma once

#include <windows.h>

#include "ui/form_instance.h"

namespace ui {

// The window itself got the focus: it goes back to the control that had it last, while that
// one can still take it, or else to the control the focus rule picks.
void RestoreFocus(FormInstance& form);

// Enables or disables a control's live window. A control that held the focus (itself or a
// window inside it) and is disabled passes it to the control the focus rule picks, or to the
// window itself when none can take it: the system would leave the focus nowhere, and then no
// key would reach the window.
void EnableKeepingFocus(FormInstance& form, HWND control, bool enable);

}  // namespace ui
