#include "app/runtime_state.h"

namespace app {

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

DWORD MainThreadId() { return State().mainThread; }

}  // namespace app
