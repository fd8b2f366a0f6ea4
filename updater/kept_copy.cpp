#include "updater/kept_copy.h"

#include "runtime/args.h"
#include "runtime/clock.h"
#include "runtime/durable_files.h"
#include "runtime/files.h"
#include "runtime/trace.h"
#include "updater/run_directory_files.h"

namespace updater {

namespace {

constexpr int32_t kAttempts = 20;
constexpr int32_t kPauseMs = 100;
constexpr uint32_t kFileNotFound = 2;

// Runs the step until it succeeds, kAttempts times at the most; traces the last failure.
template <typename Step>
bool Retried(const char* failure, const char* path, Step step) {
  for (int32_t attempt = 1;; ++attempt) {
    if (step()) return true;
    const uint32_t error = rt::LastSystemError();
    if (attempt == kAttempts) {
      rt::Trace(failure, {{"path", path}, {"error", error}});
      return false;
    }
    rt::Call(rt::Delay, rt::Int(kPauseMs));
  }
}

}  // namespace

bool KeepCopyOf(const char* executablePath) {
  rt::OwnedText copy = KeptCopyOf(executablePath);
  bool nothingToKeep = false;
  const bool kept = Retried("install: cannot keep the old executable", copy.get(), [&] {
    if (rt::CallBool(rt::CopyFileDurably, rt::TextArg(executablePath), rt::TextArg(copy))) return true;
    // A run directory without the executable (deleted, or never installed) is repaired by the
    // update; the copy of an earlier install must not pass for this one's way back.
    nothingToKeep = rt::LastSystemError() == kFileNotFound && !rt::CallBool(rt::FileExists, rt::TextArg(executablePath));
    return nothingToKeep;
  });
  if (!nothingToKeep) return kept;
  rt::Trace("install: no old executable to keep", {{"path", executablePath}});
  rt::Call(rt::RemoveFile, rt::TextArg(copy));
  if (!rt::CallBool(rt::FileExists, rt::TextArg(copy))) return true;
  rt::Trace("install: cannot remove an earlier copy", {{"path", copy.get()}});
  return false;
}

bool PutCopyBack(const char* executablePath) {
  rt::OwnedText copy = KeptCopyOf(executablePath);
  return Retried("probation: the old version cannot be put back", executablePath, [&] {
    return rt::CallBool(rt::ReplaceFileWith, rt::TextArg(copy), rt::TextArg(executablePath));
  });
}

void RemoveKeptCopy(const char* executablePath) {
  rt::OwnedText copy = KeptCopyOf(executablePath);
  rt::Call(rt::RemoveFile, rt::TextArg(copy));
}

}  // namespace updater
