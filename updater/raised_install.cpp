// The window's side of a raised install: asking for it, waiting for it, reading its outcome.
#include "updater/raised_install.h"

#include "runtime/args.h"
#include "runtime/raised_rights.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "runtime/watched_program.h"
#include "updater/run_directory_files.h"

namespace updater {

namespace {

constexpr int32_t kWaitSliceMs = 1000;

// The raised run's exit code; kRaisedNotPermitted when it did not start.
int32_t RunRaised(const char* parameters) {
  const rt::WatchedProgram program(rt::CallInt(rt::StartThisProgramRaised, rt::TextArg(parameters)));
  if (!program) {
    rt::Trace("install: the raised run did not start", {{"error", rt::LastSystemError()}});
    return kRaisedNotPermitted;
  }
  // The system's question may wait for its answer as long as the user likes.
  while (!rt::CallBool(rt::WaitForProgramEnd, rt::Int(program.get()), rt::Int(kWaitSliceMs))) {
  }
  return rt::CallInt(rt::ProgramExitCode, rt::Int(program.get()));
}

rt::OwnedText ThisProcessIdText() {
  return rt::OwnedText(rt::ValueToText(rt::Int(rt::CallInt(rt::ThisProcessId))));
}

// Quoted: the paths may hold blanks ("Program Files"), never quotes.
rt::OwnedText Quoted(const char* path) { return rt::OwnedText(rt::ConcatTexts(3, "\"", path, "\"")); }

}  // namespace

bool RunDirectoryNeedsRaisedRights(const char* directory) {
  return !rt::CallBool(rt::DirectoryTakesFiles, rt::TextArg(directory));
}

rt::OwnedText DownloadPathOutside() {
  rt::OwnedText folder = rt::CallText(rt::TemporaryFolder);
  return rt::OwnedText(rt::ConcatTexts(2, folder.c_str(), kTemporaryFile + 1));  // the folder ends with "\"
}

InstallResult InstallWithRaisedRights(const char* downloadPath, const char* executablePath, const char** refusal) {
  rt::OwnedText download = Quoted(downloadPath), executable = Quoted(executablePath), parent = ThisProcessIdText();
  rt::OwnedText parameters(rt::ConcatTexts(7, kInstallTask, " ", download.get(), " ", executable.get(), " ", parent.get()));
  const int32_t code = RunRaised(parameters.get());
  switch (code) {
    case kRaisedInstalled: return InstallResult::Installed;
    case kRaisedNoCopy: return InstallResult::NoCopy;
    case kRaisedNotReplaced: return InstallResult::NotReplaced;
    case kRaisedCannotCopyIn: return InstallResult::FolderNotWritable;
    default: break;
  }
  const auto refusals = RefusalTexts();
  if (code >= kRaisedRefusedFirst && code - kRaisedRefusedFirst < static_cast<int32_t>(refusals.size())) {
    *refusal = refusals[static_cast<size_t>(code - kRaisedRefusedFirst)];
    return InstallResult::Refused;
  }
  if (code == kRaisedNotPermitted) return InstallResult::NotPermitted;
  // It ended some other way (a crash, say); the move is one step, so the executable is whole.
  rt::Trace("install: the raised run ended", {{"exit", static_cast<uint32_t>(code)}});
  return InstallResult::NotReplaced;
}

bool PutBackWithRaisedRights(const char* executablePath) {
  rt::OwnedText executable = Quoted(executablePath), parent = ThisProcessIdText();
  rt::OwnedText parameters(rt::ConcatTexts(5, kPutBackTask, " ", executable.get(), " ", parent.get()));
  return RunRaised(parameters.get()) == kRaisedPutBack;
}

}  // namespace updater
