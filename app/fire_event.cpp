#include "app/lifecycle.h"
#include "app/runtime_state.h"
#include "runtime/fatal_error.h"
#include "runtime/program_state.h"
#include "ui/form_instance.h"

namespace app {

namespace {

EventHandler BoundHandler(ui::FormId form, ui::ControlId control, int32_t event) {
  for (const EventBinding& binding : State().bindings) {
    if (binding.form == form && binding.control == control && binding.event == event) return binding.handler;
  }
  return nullptr;
}

}  // namespace

ui::EventAnswer FireEvent(ui::FormId formId, ui::ControlId controlId, int32_t event) {
  if (rt::EndingCounter.load() >= 1) return {};
  ui::FormInstance* form = ui::FindLoadedForm(formId);
  if (form == nullptr) rt::FatalRuntimeError("未找到引发事件的窗口", 0);
  const ui::ControlState* control = form->Find(controlId);
  if (control == nullptr) rt::FatalRuntimeError("未找到引发事件的窗口组件", 0);
  if (!ui::KindHasEvents(control->kind)) rt::FatalRuntimeError("引发事件的窗口组件无效", 0);
  const EventHandler handler = BoundHandler(formId, controlId, event);
  if (handler == nullptr) return {};
  handler();
  return {true, true};
}

}  // namespace app
