#include "app/lifecycle.h"
#include "runtime/fatal_error.h"
#include "ui/form_instance.h"
#include "ui/window.h"

namespace app {

void LoadStartWindow(ui::FormId formId) {
  ui::FormInstance* form = ui::FindLoadedForm(formId);
  if (form == nullptr) rt::FatalRuntimeError("载入启动窗口失败", 0);
  if (form->window() != nullptr) {
    ui::BringFormForward(*form);
    return;
  }
  HWND window = ui::CreateFormWindow(*form);
  if (window == nullptr) rt::FatalRuntimeError("载入启动窗口失败", 0);

  // The created handler runs before anything is on the screen; a handler may end the window.
  form->eventsLive = true;
  const ui::ControlId self = form->def().windowId;
  for (const int32_t event : {ui::event::Created, ui::event::Moved, ui::event::Resized}) {
    if (form->window() != window) return;
    ui::RaiseEvent(*form, self, event);
  }
  if (form->window() != window) return;
  ui::ShowFormWindow(*form);
}

}  // namespace app
