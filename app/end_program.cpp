#include <windows.h>

#include "runtime/program_state.h"

namespace rt {

void EndProgram(int32_t code) {
  EndingCounter.fetch_add(1);
  RunExitCleanups();
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace rt
