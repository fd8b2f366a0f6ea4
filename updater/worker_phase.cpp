#include "updater/worker_phase.h"

#include <atomic>

namespace updater {

namespace {

std::atomic<WorkerPhase> g_phase{WorkerPhase::Idle};

bool Move(WorkerPhase from, WorkerPhase to) { return g_phase.compare_exchange_strong(from, to); }

}  // namespace

bool EnterDownloading() { return g_phase.exchange(WorkerPhase::Downloading) == WorkerPhase::NotInstalled; }

bool EndFailedDownload() { return Move(WorkerPhase::Downloading, WorkerPhase::Idle); }

bool BeginInstall() { return Move(WorkerPhase::Downloading, WorkerPhase::Installing); }

void EndInstall(bool installed) {
  Move(WorkerPhase::Installing, installed ? WorkerPhase::Finished : WorkerPhase::NotInstalled);
}

bool WorkerMayBeStopped() {
  if (Move(WorkerPhase::Downloading, WorkerPhase::Stopping)) return true;
  return g_phase.load() != WorkerPhase::Installing;
}

}  // namespace updater
