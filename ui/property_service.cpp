// ReadProperty and WriteProperty: the controls' settings by (form, control, number).
//
// A write changes the stored setting at once, on the caller's thread, and asks the control's
// thread to show it (RequestSync): no lock, and the writer never waits for the window's thread.
// A write that leaves the stored value as it was costs nothing more.
#include <algorithm>

#include "runtime/args.h"
#include "runtime/command.h"
#include "runtime/fatal_error.h"
#include "runtime/number_ops.h"
#include "ui/controls.h"
#include "ui/form_instance.h"
#include "ui/properties.h"

namespace ui {

namespace {

// Where a kind keeps the property with a number of its own (8 and up).
enum class Slot { None, Text, Minimum, Maximum, Position };

Slot KindSlot(ControlKind kind, int32_t number) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::TransLabel:
      return number == prop::Caption ? Slot::Text : Slot::None;
    case ControlKind::EditBox:
      return number == prop::Content ? Slot::Text : Slot::None;
    case ControlKind::Button:
      return number == prop::ButtonCaption ? Slot::Text : Slot::None;
    case ControlKind::ProcessBar:
      if (number == prop::BarMinimum) return Slot::Minimum;
      if (number == prop::BarMaximum) return Slot::Maximum;
      return number == prop::BarPosition ? Slot::Position : Slot::None;
    default:
      return Slot::None;
  }
}

// The bar keeps any position from 0 to 32767 and shows it limited to its range.
constexpr int32_t kHighestPosition = 32767;

ControlState& Locate(FormId formId, ControlId controlId, int32_t number) {
  FormInstance* form = FindLoadedForm(formId);
  ControlState* state = form != nullptr ? form->Find(controlId) : nullptr;
  if (state == nullptr) rt::FatalRuntimeError("未载入欲访问窗口组件所在的窗口", 0);
  if (number >= 8 && form->window() == nullptr) rt::FatalRuntimeError("指定窗口尚未载入", 0);
  return *state;
}

int32_t IntegerOf(const rt::ArgRecord& value) { return rt::CallInt(rt::ToInteger, value); }

std::atomic<int32_t>* GeometryOf(ControlState& state, int32_t number) {
  switch (number) {
    case prop::Left: return &state.left;
    case prop::Top: return &state.top;
    case prop::Width: return &state.width;
    case prop::Height: return &state.height;
    default: return nullptr;
  }
}

template <typename T>
void StoreAndShow(ControlState& state, std::atomic<T>& setting, T value) {
  if (setting.exchange(value) != value) RequestSync(state);
}

void WriteCommon(ControlState& state, int32_t number, const rt::ArgRecord& value) {
  if (std::atomic<int32_t>* geometry = GeometryOf(state, number)) {
    StoreAndShow(state, *geometry, IntegerOf(value));
    return;
  }
  switch (number) {
    case prop::Tag: state.tag.Store(rt::TextOf(value)); break;
    case prop::Visible: StoreAndShow(state, state.visible, IntegerOf(value) != 0); break;
    case prop::Disabled: StoreAndShow(state, state.disabled, IntegerOf(value) != 0); break;
    case prop::MousePointer: state.mousePointer.store(IntegerOf(value)); break;
    default: break;
  }
}

void WriteKind(ControlState& state, int32_t number, const rt::ArgRecord& value) {
  switch (KindSlot(state.kind, number)) {
    case Slot::Text:
      if (state.text.Store(rt::TextOf(value))) {
        state.textChanged.store(true);
        RequestSync(state);
      }
      break;
    case Slot::Minimum: StoreAndShow(state, state.minimum, IntegerOf(value)); break;
    case Slot::Maximum: StoreAndShow(state, state.maximum, IntegerOf(value)); break;
    case Slot::Position:
      StoreAndShow(state, state.position, std::clamp(IntegerOf(value), 0, kHighestPosition));
      break;
    case Slot::None: break;
  }
}

rt::ArgRecord TextRecord(const SharedText& text) { return rt::Pointer(text.Copy(), rt::TypeTag::Text); }

rt::ArgRecord ReadCommon(const ControlState& state, int32_t number) {
  switch (number) {
    case prop::Left: return rt::Int(state.left.load());
    case prop::Top: return rt::Int(state.top.load());
    case prop::Width: return rt::Int(state.width.load());
    case prop::Height: return rt::Int(state.height.load());
    case prop::Tag: return TextRecord(state.tag);
    case prop::Visible: return rt::Bool(state.visible.load());
    case prop::Disabled: return rt::Bool(state.disabled.load());
    case prop::MousePointer: return rt::Int(state.mousePointer.load());
    default: return rt::Int(0);
  }
}

rt::ArgRecord ReadKind(const ControlState& state, int32_t number) {
  switch (KindSlot(state.kind, number)) {
    case Slot::Text: return TextRecord(state.text);
    case Slot::Minimum: return rt::Int(state.minimum.load());
    case Slot::Maximum: return rt::Int(state.maximum.load());
    case Slot::Position: return rt::Int(state.position.load());
    case Slot::None: break;
  }
  return rt::Int(0);
}

}  // namespace

// subField selects one field of a compound property (a font); none of the properties kept
// here is compound, so it is not looked at.
void WriteProperty(FormId form, ControlId control, int32_t number, int32_t /*subField*/, const rt::ArgRecord& value) {
  ControlState& state = Locate(form, control, number);
  if (number < 8) {
    WriteCommon(state, number, value);
  } else {
    WriteKind(state, number, value);
  }
}

rt::ArgRecord ReadProperty(FormId form, ControlId control, int32_t number, int32_t /*subField*/) {
  const ControlState& state = Locate(form, control, number);
  return number < 8 ? ReadCommon(state, number) : ReadKind(state, number);
}

}  // namespace ui
