#include "app/floating_point.h"
#include "app/lifecycle.h"
#include "app/wiring.h"
#include "runtime/program_state.h"

namespace app {

int32_t ProgramEntry() {
  RuntimeInit();
  ResetFloatingPoint();
  if (const auto task = Wiring().windowlessTask) {
    if (const std::optional<int32_t> exitCode = task()) return *exitCode;
  }
  // The program's globals start as 0 and empty texts: no code runs for them.
  for (const rt::CleanupRoutine cleanup : Wiring().exitCleanups) rt::RegisterExitCleanup(cleanup);
  LoadStartWindow(ui::UpdaterForm);
  RunMessageLoop();
  return 0;
}

}  // namespace app
