#include "updater/window_access.h"

#include "runtime/args.h"

namespace updater {

void SetCaption(ui::ControlId control, const char* text) {
  ui::WriteProperty(ui::UpdaterForm, control, ui::prop::Caption, ui::WholeProperty, rt::TextArg(text));
}

void SetButtonCaption(const char* text) {
  ui::WriteProperty(ui::UpdaterForm, ui::按钮2, ui::prop::ButtonCaption, ui::WholeProperty, rt::TextArg(text));
}

rt::OwnedText ButtonCaption() {
  return rt::OwnedText(ui::ReadProperty(ui::UpdaterForm, ui::按钮2, ui::prop::ButtonCaption, ui::WholeProperty).AsText());
}

void SetButtonDisabled(bool disabled) {
  ui::WriteProperty(ui::UpdaterForm, ui::按钮2, ui::prop::Disabled, ui::WholeProperty, rt::Bool(disabled));
}

void SetBarPosition(int32_t position) {
  ui::WriteProperty(ui::UpdaterForm, ui::进度条1, ui::prop::BarPosition, ui::WholeProperty, rt::Int(position));
}

int32_t StoredBarPosition() {
  return ui::ReadProperty(ui::UpdaterForm, ui::进度条1, ui::prop::BarPosition, ui::WholeProperty).AsInt();
}

void SetWindowHidden() {
  ui::WriteProperty(ui::UpdaterForm, ui::UpdaterWindow, ui::prop::Visible, ui::WholeProperty, rt::Bool(false));
}

}  // namespace updater
