#include <cstdlib>

#include "runtime/program_state.h"

namespace rt {

// The host build has no windows and one thread: ending is running the cleanups and exiting.
void EndProgram(int32_t code) {
  EndingCounter.fetch_add(1);
  RunExitCleanups();
  std::_Exit(code);
}

}  // namespace rt
