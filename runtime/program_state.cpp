#include "runtime/program_state.h"

#include <algorithm>
#include <vector>

namespace rt {

std::atomic<int32_t> EndingCounter{0};
std::atomic<bool> ThreadWasKilled{false};

namespace {

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

}  // namespace rt
