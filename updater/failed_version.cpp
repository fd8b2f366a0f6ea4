#include "updater/failed_version.h"

#include "runtime/args.h"
#include "runtime/config.h"
#include "runtime/durable_files.h"
#include "runtime/file_hash.h"
#include "runtime/files.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "updater/run_directory_files.h"

namespace updater {

void RememberFailedVersion(const char* executablePath) {
  rt::OwnedText sha256 = rt::CallText(rt::FileSha256, rt::TextArg(executablePath));
  rt::OwnedText path = RunDirectoryFile(kFailedVersionFile);
  rt::OwnedText contents(rt::ConcatTexts(3, "[rollback]\r\nsha256=", sha256.c_str(), "\r\n"));
  // Not remembered, the version is refused by nothing and put back again if it comes again.
  if (sha256.empty() || !rt::CallBool(rt::WriteTextFileDurably, rt::TextArg(path), rt::TextArg(contents))) {
    rt::Trace("probation: the version cannot be remembered", {{"path", path.c_str()}, {"error", rt::LastSystemError()}});
  }
}

bool CouldNotStartBefore(const rt::ArgRecord& download) {
  rt::OwnedText path = RunDirectoryFile(kFailedVersionFile);
  rt::OwnedText failed =
      rt::CallText(rt::ReadConfigItem, rt::TextArg(path), rt::TextArg("rollback"), rt::TextArg("sha256"));
  if (failed.empty()) return false;
  rt::OwnedText actual = rt::CallText(rt::FileSha256, download);
  if (actual.empty() || rt::CompareTexts(actual.get(), failed.get()) != 0) return false;
  rt::Trace("check: the download could not start before", {{"sha256", actual.c_str()}});
  return true;
}

void ForgetFailedVersion() {
  rt::OwnedText path = RunDirectoryFile(kFailedVersionFile);
  rt::Call(rt::RemoveFile, rt::TextArg(path));
}

}  // namespace updater
