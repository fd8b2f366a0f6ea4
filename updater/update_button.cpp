#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/processes.h"
#include "runtime/program_state.h"
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

void StartApplication() {
  // Quoted, so that a run directory with blanks cannot start another program instead.
  rt::OwnedText directory = rt::CallText(rt::GetRunDirectory);
  rt::OwnedText executable = ExecutableIn(directory.get(), kApplicationName);
  rt::OwnedText commandLine(rt::ConcatTexts(3, "\"", executable.get(), "\""));
  rt::Call(rt::RunProgram, rt::TextArg(commandLine), rt::Bool(false), rt::Omitted());
  rt::EndProgram(0);
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
