// The controls' live windows: creation by kind, and how a stored setting reaches the screen.
#pragma once

#include <windows.h>

#include "ui/form_instance.h"

namespace ui {

// The private notification, posted to a form's window, that brings its controls in line with
// their stored settings. The progress bar is woken with PBM_SETPOS of its own instead, so that
// it stays a plain progress bar to everyone who watches its messages.
constexpr UINT kSyncMessage = WM_APP + 0x100;

// Registers the window classes of the kinds the program draws itself; false on failure.
bool RegisterControlClasses();

// Creates the live window of a control, hidden, as a child of `parent`; null on failure.
HWND CreateControlWindow(ControlState& state, HWND parent);

// After a change of stored settings, from any thread: on the control's own thread the live
// window is updated at once; from another thread a notification is posted, unless one is
// already on its way (at most one per window, plus one for the progress bar), and the writer
// does not wait for it.
void RequestSync(ControlState& state);

// On the control's thread: makes the live window show the stored settings.
void ApplyStoredState(ControlState& state);

// On the control's thread: gives the live window the stored text as the window text the system
// keeps, converted to UTF-16, which a system control draws, the taskbar shows as a title and
// other programs read with GetWindowTextW. WM_GETTEXT is still answered with the stored bytes.
void ShowStoredText(HWND window, ControlState& state);

// On the window's thread, for kSyncMessage: brings every control with pending settings up to
// date and paints what that changed before it returns.
void ApplyPendingStates(FormInstance& form);

// The same at most once a frame while only the statistics wait: a download writes them after
// every chunk, thousands of times a second, while a reader needs them a few times a second, and
// each frame's painting takes the window's thread milliseconds that the download's reads would
// otherwise have. A notification that comes sooner leaves the work to a timer at the end of the
// frame; the stored settings (and what WM_GETTEXT answers) are up to date all the while.
constexpr DWORD kSyncFrameMs = 40;
constexpr UINT_PTR kSyncTimer = 0x5359;
void ApplyPendingStatesPaced(FormInstance& form);
// For the window's WM_TIMER of kSyncTimer.
void ApplyPendingStatesOnTimer(FormInstance& form);

// The progress bar's stored position limited to its range, which is what it shows.
int32_t ShownPosition(const ControlState& bar);

}  // namespace ui
