#include "app/runtime_state.h"

namespace app {

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

EventSource CurrentEventSource() { return State().currentSource; }

DWORD MainThreadId() { return State().mainThread; }

HWND HiddenOwnerWindow() { return State().hiddenOwner; }

}  // namespace app
