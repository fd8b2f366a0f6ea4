#include "ui/events.h"

#include "ui/form_instance.h"

namespace ui {

namespace {

// Set once at start-up, before any window exists.
FormHost& Host() {
  static FormHost host;
  return host;
}

}  // namespace

void SetFormHost(const FormHost& host) { Host() = host; }

EventAnswer RaiseEvent(const FormInstance& form, ControlId control, int32_t event) {
  if (!form.eventsLive || Host().fireEvent == nullptr) return {};
  return Host().fireEvent(form.id(), control, event);
}

void NotifyWindowGone() {
  for (const auto& form : LoadedForms()) {
    if (form->window() != nullptr) return;
  }
  if (Host().lastWindowGone != nullptr) Host().lastWindowGone();
}

}  // namespace ui
