#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/open_files.h"
#include "runtime/program_state.h"
#include "runtime/threads.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/http_download.h"
#include "updater/run_directory_files.h"
#include "updater/worker_phase.h"

namespace updater {

namespace {

// An install takes milliseconds, stopping the application a few seconds at the most.
constexpr int32_t kInstallWaitMs = 30000;
// How long a download gets to notice the stop request before its thread is ended.
constexpr int32_t kStopWaitMs = 400;
// After the thread was ended, the program is gone by then whatever it waits for.
constexpr int32_t kExitDeadlineMs = 3000;

bool WaitForWorker(int32_t ms) { return rt::CallBool(rt::WaitForThreadEnd, rt::Int(WorkerThread), rt::Int(ms)); }

// Lets an install that has begun run to its end; afterwards the worker installs nothing.
void HoldWorker() {
  if (!WorkerMayBeStopped()) WaitForWorker(kInstallWaitMs);
}

// Stops the worker: asked first, ended when it does not answer in time.
void StopWorker() {
  RequestDownloadStop();
  if (WaitForWorker(kStopWaitMs)) return;
  // A thread ended from outside may hold a lock the end of the program needs.
  rt::Call(rt::ArmExitDeadline, rt::Int(kExitDeadlineMs), rt::Int(0));
  rt::Call(rt::KillThread, rt::Int(WorkerThread));
}

void Leave(const char* fileToRemove) {
  HoldWorker();
  rt::OwnedText path = RunDirectoryFile(fileToRemove);
  rt::Call(rt::RemoveFile, rt::TextArg(path));
  StopWorker();
  rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
  rt::EndProgram(0);
}

}  // namespace

void OnCloseButtonClick() { Leave(kTemporaryFile); }

void OnWindowDestroy() { Leave(kHandOffFile); }

void OnQueryEnd() { GiveUpProbation(); }

}  // namespace updater
