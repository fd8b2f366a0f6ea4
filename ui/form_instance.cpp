#include "ui/form_instance.h"

#include "ui/picture.h"

namespace ui {

namespace {

std::vector<std::unique_ptr<FormInstance>>& Forms() {
  static std::vector<std::unique_ptr<FormInstance>> forms;
  return forms;
}

const char kControlProperty[] = "CorvaneControl";

}  // namespace

ControlState::ControlState(const ControlDef& control, ControlId controlId)
    : def(&control),
      kind(control.kind),
      id(controlId),
      left(control.left),
      top(control.top),
      width(control.width),
      height(control.height),
      visible(control.visible),
      text(control.text),
      minimum(control.minimum),
      maximum(control.maximum),
      position(control.position) {}

ControlState::ControlState(const FormDef& form, ControlId controlId)
    : def(nullptr),
      kind(ControlKind::Window),
      id(controlId),
      left(form.storedLeft),
      top(form.storedTop),
      width(form.clientWidth),
      height(form.clientHeight),
      visible(false),
      text(form.title) {}

FormInstance::FormInstance(const FormDef& def) : def_(def) {
  states_.push_back(std::make_unique<ControlState>(def, def.windowId));
  for (const ControlDef& control : def.controls) states_.push_back(std::make_unique<ControlState>(control, control.id));
  for (auto& state : states_) state->form = this;
}

FormInstance::~FormInstance() = default;

ControlState* FormInstance::Find(ControlId control) {
  for (auto& state : states_) {
    if (state->id == control) return state.get();
  }
  return nullptr;
}

ControlState* StateOf(HWND window) { return static_cast<ControlState*>(GetPropA(window, kControlProperty)); }

FormInstance& LoadForm(const FormDef& def) {
  if (FormInstance* loaded = FindLoadedForm(def.id)) return *loaded;
  return *Forms().emplace_back(std::make_unique<FormInstance>(def));
}

FormInstance* FindLoadedForm(FormId form) {
  for (auto& instance : Forms()) {
    if (instance->id() == form) return instance.get();
  }
  return nullptr;
}

std::span<const std::unique_ptr<FormInstance>> LoadedForms() { return Forms(); }

void AttachControl(HWND window, ControlState& state) {
  SetPropA(window, kControlProperty, &state);
  state.window.store(window);
}

void DetachControl(HWND window, ControlState& state) {
  RemovePropA(window, kControlProperty);
  state.window.store(nullptr);
}

}  // namespace ui
