// The raised run's side: a run of this program with an administrator's rights, started by the
// window's own process for the one step that needs them. It trusts nothing a standard user could
// have changed: it checks who started it and where its paths lead, copies the download into
// the run directory and checks that copy, which it holds, as the window's install would.
#include <cctype>

#include "runtime/args.h"
#include "runtime/durable_files.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/number_ops.h"
#include "runtime/program_state.h"
#include "runtime/raised_rights.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "updater/failed_version.h"
#include "updater/kept_copy.h"
#include "updater/raised_install.h"
#include "updater/run_directory_files.h"

namespace updater {

namespace {

rt::OwnedText Argument(int32_t index) { return rt::CallText(rt::ProgramArgument, rt::Int(index)); }

// A process id written in decimal digits only; 0 for anything else.
int32_t ProcessIdIn(const char* text) {
  if (text[0] == '\0' || rt::TextLength(text) > 10) return 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return 0;
  }
  return rt::TextToInteger(text);
}

// The task may be done: this run has raised rights, the window's process of this same program
// started it, and the executable is the application beside this program.
bool Permitted(const char* executablePath, int32_t parent) {
  if (!rt::CallBool(rt::HasRaisedRights)) {
    rt::Trace("raised: not run with raised rights");
    return false;
  }
  if (!rt::CallBool(rt::StartedByThisProgram, rt::Int(parent))) {
    rt::Trace("raised: not started by this program", {{"parent", parent}});
    return false;
  }
  rt::OwnedText directory = rt::CallText(rt::GetRunDirectory);
  rt::OwnedText application = ExecutableIn(directory.get(), kApplicationName);
  if (!rt::CallBool(rt::SameFilePath, rt::TextArg(executablePath), rt::TextArg(application))) {
    rt::Trace("raised: the executable is not the application beside this program", {{"path", executablePath}});
    return false;
  }
  return true;
}

int32_t ExitOf(InstallResult result) {
  switch (result) {
    case InstallResult::Installed: return kRaisedInstalled;
    case InstallResult::NoCopy: return kRaisedNoCopy;
    default: return kRaisedNotReplaced;
  }
}

int32_t RefusalExit(const char* refusal) {
  const auto refusals = RefusalTexts();
  for (size_t index = 0; index < refusals.size(); ++index) {
    if (refusals[index] == refusal) return kRaisedRefusedFirst + static_cast<int32_t>(index);
  }
  return kRaisedNotReplaced;
}

// The copy this run checks and installs: written by this run into a folder the standard user
// cannot write, and held from the check to the move.
int32_t InstallCopy(const char* copyPath, const char* executablePath) {
  rt::HeldFile copy(rt::CallInt(rt::HoldFile, rt::TextArg(copyPath)));
  if (const char* refusal = DownloadRefusal(copy, copyPath, executablePath)) {
    copy.reset();
    rt::Call(rt::RemoveFile, rt::TextArg(copyPath));
    return RefusalExit(refusal);
  }
  const InstallResult result = PutInPlace(copy, executablePath);
  copy.reset();
  if (result != InstallResult::Installed) rt::Call(rt::RemoveFile, rt::TextArg(copyPath));
  return ExitOf(result);
}

int32_t Install(const char* downloadPath, const char* executablePath, int32_t parent) {
  if (!Permitted(executablePath, parent)) return kRaisedNotPermitted;
  rt::OwnedText copyPath = RunDirectoryFile(kTemporaryFile);
  if (rt::CallBool(rt::SameFilePath, rt::TextArg(downloadPath), rt::TextArg(copyPath))) {
    rt::Trace("raised: the download is the copy's own path", {{"path", downloadPath}});
    return kRaisedNotPermitted;
  }
  // The window's process holds the download from its checks until this run ends: nobody can
  // have changed it since.
  if (!rt::CallBool(rt::CopyFileDurably, rt::TextArg(downloadPath), rt::TextArg(copyPath), rt::Bool(true))) {
    rt::Trace("raised: the download cannot be copied in", {{"path", copyPath.c_str()}, {"error", rt::LastSystemError()}});
    rt::Call(rt::RemoveFile, rt::TextArg(copyPath));
    return kRaisedCannotCopyIn;
  }
  return InstallCopy(copyPath.get(), executablePath);
}

int32_t PutBack(const char* executablePath, int32_t parent) {
  if (!Permitted(executablePath, parent)) return kRaisedNotPermitted;
  RememberFailedVersion(executablePath);  // while the executable is still the new one
  return PutCopyBack(executablePath) ? kRaisedPutBack : kRaisedNotPutBack;
}

}  // namespace

std::optional<int32_t> RunRaisedTask() {
  const int32_t count = rt::CallInt(rt::ProgramArgumentCount);
  if (count == 0) return std::nullopt;
  rt::OwnedText task = Argument(0);
  const bool install = rt::CompareTexts(task.c_str(), kInstallTask) == 0;
  const bool putBack = rt::CompareTexts(task.c_str(), kPutBackTask) == 0;
  if (!install && !putBack) return std::nullopt;  // an ordinary run, whatever else its command line says
  if (count != (install ? 4 : 3)) {
    rt::Trace("raised: a task with other arguments", {{"count", count}});
    return kRaisedNotPermitted;
  }
  rt::OwnedText first = Argument(1), second = Argument(2), third = install ? Argument(3) : rt::OwnedText();
  if (install) return Install(first.c_str(), second.c_str(), ProcessIdIn(third.c_str()));
  return PutBack(first.c_str(), ProcessIdIn(second.c_str()));
}

}  // namespace updater
