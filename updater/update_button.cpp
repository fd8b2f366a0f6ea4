#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/text_ops.h"
#include "runtime/threads.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/run_directory_files.h"
#include "updater/window_access.h"
#include "updater/worker_phase.h"

namespace updater {

namespace {

void StartUpdate() {
  SetButtonCaption("正在更新");
  SetButtonDisabled(true);
  rt::OwnedText directory = rt::CallText(rt::GetRunDirectory);
  InstallDir = rt::OwnedText(rt::ConcatTexts(2, directory.get(), "\\"));
  const bool downloadWaits = EnterDownloading();
  rt::Call(rt::StartThread, rt::ThreadRoutineArg(WorkerThreadEntry), rt::Int(downloadWaits ? 1 : 0),
           rt::IntRef(&WorkerThread));
}

// The window goes at once; the updater stays, without one, until the new version has started
// or the old one is back (probation.cpp).
void StartApplication() {
  if (!BeginProbation()) return;  // the user is leaving
  SetWindowHidden();
  rt::Call(rt::StartThread, rt::ThreadRoutineArg(ProbationThreadEntry), rt::Int(0), rt::IntRef(&WorkerThread));
}

}  // namespace

void OnUpdateButtonClick() {
  rt::OwnedText caption = ButtonCaption();
  if (rt::CompareTexts(caption.get(), "开始更新") == 0) {
    StartUpdate();
  } else if (rt::CompareTexts(caption.get(), "启动软件") == 0) {
    StartApplication();
  }
}

}  // namespace updater
