// The end of the program, normal or after a fatal error.
#include <windows.h>
#include <ole2.h>

#include "app/lifecycle.h"
#include "app/runtime_state.h"
#include "runtime/external_functions.h"
#include "runtime/program_state.h"
#include "ui/window.h"

namespace app {

namespace {

[[noreturn]] void EndOnMainThread(int32_t code) {
  RuntimeState& state = State();
  // From here on no event reaches a handler, so the windows go without their destroy events.
  rt::EndingCounter.fetch_add(1);
  ui::DestroyFormWindows();
  rt::RunExitCleanups();
  if (rt::ThreadWasKilled.load()) {
    // A thread stopped from outside may hold the loader lock (inside a library load, say),
    // which unloading libraries and the orderly process exit both need: end without them.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  }
  rt::UnloadExternalLibraries();
  if (state.hiddenOwner != nullptr) DestroyWindow(state.hiddenOwner);
  state.hiddenOwner = nullptr;
  if (state.oleReady) OleUninitialize();
  ExitProcess(static_cast<UINT>(code));
}

// Another thread hands the end to the main thread and waits there until the process ends.
[[noreturn]] void EndFromOtherThread(int32_t code) {
  RuntimeState& state = State();
  if (state.hiddenOwner != nullptr) SendMessageA(state.hiddenOwner, kEndRequest, static_cast<WPARAM>(code), 0);
  // Back here: the main thread did not take the request (its window is gone, or it is not
  // running messages any more). Unless it is already ending the program, end it from here.
  if (!state.ending.load()) ExitProcess(static_cast<UINT>(code));
  for (;;) Sleep(INFINITE);
}

}  // namespace

void EndTheProgram(int32_t code) {
  RuntimeState& state = State();
  if (GetCurrentThreadId() != state.mainThread) EndFromOtherThread(code);
  // Called again while ending (from an exit cleanup or a fatal error inside the end sequence):
  // the sequence is not run twice.
  if (state.ending.exchange(true)) ExitProcess(static_cast<UINT>(code));
  EndOnMainThread(code);
}

}  // namespace app
