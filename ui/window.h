// UpdaterWindow and any other window of a loaded form: creation, showing, the end of the
// windows, and the window's own look at the messages of the thread (keys and drag anywhere).
#pragma once

#include <windows.h>

#include "ui/form_instance.h"

namespace ui {

// Creates the form's window with all its controls, centred on the screen and still hidden;
// the controls marked visible are shown. Null when the window cannot be created.
HWND CreateFormWindow(FormInstance& form);

// Shows the window (it then gives the focus to its control, see RestoreFocus).
void ShowFormWindow(FormInstance& form);

// Brings an existing window to the front: restores it when minimised, else activates it.
void BringFormForward(FormInstance& form);

// Destroys the window of every loaded form with its controls.
void DestroyFormWindows();

bool AnyFormWindowAlive();

// Sees every message of the thread before it is dispatched: the browser's keys, Esc as a close
// request, and a left button press that drags the window. True when the message was used up.
bool PreTranslateMessage(MSG& message);

}  // namespace ui
