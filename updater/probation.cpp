// After "启动软件": the new version is watched; it is kept once it has started, and the old one is
// put back when it cannot start.
#include "updater/probation.h"

#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/messages.h"
#include "runtime/processes.h"
#include "runtime/program_state.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "runtime/watched_program.h"
#include "updater/failed_version.h"
#include "updater/handlers.h"
#include "updater/kept_copy.h"
#include "updater/raised_install.h"
#include "updater/run_directory_files.h"
#include "updater/worker_phase.h"

namespace updater {

namespace {

constexpr int32_t kProbationMs = 10000;
// Short enough that a user who leaves meets a watcher that has noticed before it is stopped.
constexpr int32_t kWatchSliceMs = 100;

constexpr char kRestored[] = "新版本无法启动，已恢复原来的版本！";
constexpr char kNotRestored[] = "新版本无法启动，原来的版本无法恢复！";

// Quoted, so that a run directory with blanks cannot start another program instead.
rt::OwnedText CommandLineOf(const char* executable) { return rt::OwnedText(rt::ConcatTexts(3, "\"", executable, "\"")); }

Verdict VerdictOnEnd(const rt::WatchedProgram& program) {
  const int32_t code = rt::CallInt(rt::ProgramExitCode, rt::Int(program.get()));
  if (code == 0) return Verdict::Started;
  rt::Trace("probation: the new version ended", {{"exit", static_cast<uint32_t>(code)}});
  return Verdict::CannotStart;
}

}  // namespace

Verdict WatchNewVersion(const char* executable) {
  rt::OwnedText commandLine = CommandLineOf(executable);
  const rt::WatchedProgram program(rt::CallInt(rt::StartWatchedProgram, rt::TextArg(commandLine)));
  if (!program) {
    rt::Trace("probation: the new version cannot be started", {{"error", rt::LastSystemError()}});
    return Verdict::CannotStart;
  }
  for (int32_t waited = 0; waited < kProbationMs; waited += kWatchSliceMs) {
    if (!ProbationGoesOn()) return Verdict::GivenUp;
    if (rt::CallBool(rt::WaitForProgramEnd, rt::Int(program.get()), rt::Int(kWatchSliceMs))) return VerdictOnEnd(program);
  }
  return Verdict::Started;
}

namespace {

// The way back is no longer needed, nor the memory of a version that could not start.
void KeepNewVersion(const char* executable) {
  RemoveKeptCopy(executable);
  ForgetFailedVersion();
}

// The box that tells the user what the updater did.
const char* PutOldVersionBack(const char* directory, const char* executable) {
  if (RunDirectoryNeedsRaisedRights(directory)) {
    if (!PutBackWithRaisedRights(executable)) return kNotRestored;
  } else {
    RememberFailedVersion(executable);  // while the executable is still the new one
    if (!PutCopyBack(executable)) return kNotRestored;
  }
  rt::OwnedText commandLine = CommandLineOf(executable);
  rt::Call(rt::RunProgram, rt::TextArg(commandLine), rt::Bool(false), rt::Omitted());
  return kRestored;
}

void ConcludeAndEnd(const char* directory, const char* executable, Verdict verdict) {
  // Given up (the user left, the session ends): the new version stays, and so does the copy,
  // the only way back should it not start after all.
  if (verdict == Verdict::GivenUp || !ConcludeProbation()) rt::EndProgram(0);
  if (verdict == Verdict::Started) {
    KeepNewVersion(executable);
    EndProbation();
    rt::EndProgram(0);
  }
  const char* message = PutOldVersionBack(directory, executable);
  EndProbation();
  rt::Call(rt::ShowMessage, rt::TextArg(message), rt::Int(0), rt::TextArg("温馨提示"));
  rt::EndProgram(0);
}

}  // namespace

uint32_t __stdcall ProbationThreadEntry(void*) {
  rt::OwnedText directory = rt::CallText(rt::GetRunDirectory);
  rt::OwnedText executable = ExecutableIn(directory.get(), kApplicationName);
  ConcludeAndEnd(directory.get(), executable.get(), WatchNewVersion(executable.get()));
  return 0;
}

}  // namespace updater
