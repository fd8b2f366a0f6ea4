// The events that the window and its controls raise, and the hook through which they reach
// the program's event dispatch.
#pragma once

#include <cstdint>

#include "ui/properties.h"

namespace ui {

class FormInstance;

namespace event {
// The window's events.
constexpr int32_t Created = 0;
constexpr int32_t QueryEnd = 1;  // may the window close or the session end? (a question)
constexpr int32_t Destroy = 2;   // the window is about to be destroyed
constexpr int32_t Moved = 3;
constexpr int32_t Resized = 4;
constexpr int32_t QueryClose = 12;  // a close request arrived (a question)
// A button's click.
constexpr int32_t Click = 0;
}  // namespace event

// What the dispatch reports back: whether a handler ran, and its answer to a question.
struct EventAnswer {
  bool handled = false;
  bool allow = true;
};

// The program's side of the window layer: its event dispatch, and what it does when the last
// window of its loaded forms has gone.
struct FormHost {
  EventAnswer (*fireEvent)(FormId form, ControlId control, int32_t event) = nullptr;
  void (*lastWindowGone)() = nullptr;
};

void SetFormHost(const FormHost& host);

// Raises an event of a control of `form` (or of its window) on the window's thread. Events
// raised while the window is still being built are not delivered.
EventAnswer RaiseEvent(const FormInstance& form, ControlId control, int32_t event);

// Tells the host when no window of a loaded form is alive any more.
void NotifyWindowGone();

}  // namespace ui
