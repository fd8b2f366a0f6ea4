#include "runtime/program_state.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace rt {

std::atomic<int32_t> EndingCounter{0};
std::atomic<bool> ThreadWasKilled{false};

namespace {

std::atomic<ProgramEndRoutine> programEnd{nullptr};

// Registered and run on the main thread only.
std::vector<CleanupRoutine>& CleanupList() {
  static std::vector<CleanupRoutine> list;
  return list;
}

}  // namespace

void RegisterExitCleanup(CleanupRoutine routine) {
  auto& list = CleanupList();
  if (std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

void RunExitCleanups() {
  auto& list = CleanupList();
  for (CleanupRoutine routine : list) routine();
  list.clear();
}

void ClearExitCleanups() { CleanupList().clear(); }

void SetProgramEnd(ProgramEndRoutine routine) { programEnd.store(routine); }

void EndProgram(int32_t code) {
  if (ProgramEndRoutine end = programEnd.load()) end(code);
  EndingCounter.fetch_add(1);
  RunExitCleanups();
  std::_Exit(code);
}

}  // namespace rt
