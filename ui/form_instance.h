// The loaded forms and the stored settings of their controls.
//
// Every setting lives here, not in the live window: a property write from any thread changes the
// stored value at once, and the control's own thread brings the live window in line with it.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <span>
#include <vector>

#include "ui/form.h"
#include "ui/shared_text.h"

namespace ui {

class Picture;
class FormInstance;

struct ControlState {
  ControlState(const ControlDef& def, ControlId id);
  // The window itself, as a control of its own form.
  ControlState(const FormDef& form, ControlId id);

  const ControlDef* def;  // null for the window itself
  FormInstance* form = nullptr;
  ControlKind kind;
  ControlId id;

  std::atomic<HWND> window{nullptr};
  std::atomic<int32_t> left, top, width, height;
  std::atomic<bool> visible;
  std::atomic<bool> disabled{false};
  std::atomic<int32_t> mousePointer{0};
  SharedText tag;
  SharedText text;  // caption or content
  std::atomic<int32_t> minimum{0}, maximum{0}, position{0};  // ProcessBar

  // Stored settings that the live window does not show yet.
  std::atomic<bool> syncPending{false};
  // The text changed since the live window last took it (system controls keep their own copy).
  std::atomic<bool> textChanged{false};

  // Owned by the control's thread.
  WNDPROC systemProc = nullptr;  // the system control's own procedure, when subclassed
  HFONT font = nullptr;          // created from the stored font; deleted with the window
  bool mouseInside = false;      // SuperBtn
  bool pressed = false;          // SuperBtn
};

class FormInstance {
 public:
  explicit FormInstance(const FormDef& def);
  ~FormInstance();
  FormInstance(const FormInstance&) = delete;
  FormInstance& operator=(const FormInstance&) = delete;

  const FormDef& def() const { return def_; }
  FormId id() const { return def_.id; }
  ControlState& windowState() { return *states_.front(); }
  HWND window() const { return states_.front()->window.load(); }

  // The stored state of a control (or of the window itself), null when the form has none.
  ControlState* Find(ControlId control);
  std::span<const std::unique_ptr<ControlState>> controls() const { return {states_.data() + 1, states_.size() - 1}; }

  // The thread that created the window and runs its messages.
  DWORD uiThread = 0;
  // A notification to bring the pending controls up to date is on its way to the window.
  std::atomic<bool> syncPosted{false};
  // When the pending controls were last brought up to date, and whether a timer will do it
  // next (window thread only).
  DWORD lastSync = 0;
  bool syncTimerSet = false;
  // Events reach the event dispatch only from the created event on.
  bool eventsLive = false;
  // The window is inside its destruction (its destroy event may be running).
  bool destroying = false;
  // The last control that held the focus inside the window, while the window is inactive.
  HWND lastFocus = nullptr;
  // The background picture, decoded on first paint.
  std::unique_ptr<Picture> picture;

 private:
  const FormDef& def_;
  std::vector<std::unique_ptr<ControlState>> states_;  // [0] is the window itself
};

// The table of loaded forms: filled at start-up on the main thread, never changed afterwards
// while other threads may read it.
FormInstance& LoadForm(const FormDef& def);
FormInstance* FindLoadedForm(FormId form);
std::span<const std::unique_ptr<FormInstance>> LoadedForms();

// The stored state of one of our controls' live windows (or of a form's window), else null.
ControlState* StateOf(HWND window);

// Ties a live window to its stored state, and unties it when the window goes.
void AttachControl(HWND window, ControlState& state);
void DetachControl(HWND window, ControlState& state);

}  // namespace ui
