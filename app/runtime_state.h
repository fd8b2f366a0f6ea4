// The runtime state of the run: one instance, plain values, written on the main thread (only
// the ending flag is also read by other threads).
#pragma once

#include <windows.h>

#include <atomic>
#include <span>

#include "app/lifecycle.h"
#include "app/wiring.h"

namespace app {

struct RuntimeState {
  DWORD mainThread = 0;
  HWND hiddenOwner = nullptr;  // receives the end request of another thread
  bool oleReady = false;
  bool loopStarted = false;  // from now on the last window's end posts a quit message
  std::atomic<bool> ending{false};  // the main thread has started the end sequence
  std::span<const EventBinding> bindings;  // of the loaded forms, checked at start-up
};

RuntimeState& State();

// The private message by which another thread asks the main thread to end the program.
constexpr UINT kEndRequest = WM_APP + 1;

}  // namespace app
