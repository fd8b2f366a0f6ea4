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
  if (Move(WorkerPhase::Downloading, WorkerPhase::Stopping) || Move(WorkerPhase::Probation, WorkerPhase::Stopping)) {
    return true;
  }
  const WorkerPhase now = g_phase.load();
  return now != WorkerPhase::Installing && now != WorkerPhase::Concluding;
}

bool BeginProbation() {
  return Move(WorkerPhase::Finished, WorkerPhase::Probation) || Move(WorkerPhase::Installing, WorkerPhase::Probation);
}

bool ProbationGoesOn() { return g_phase.load() == WorkerPhase::Probation; }

void GiveUpProbation() { Move(WorkerPhase::Probation, WorkerPhase::Stopping); }

bool ConcludeProbation() { return Move(WorkerPhase::Probation, WorkerPhase::Concluding); }

void EndProbation() { Move(WorkerPhase::Concluding, WorkerPhase::Concluded); }

}  // namespace updater
