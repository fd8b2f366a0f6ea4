#include "updater/run_directory_files.h"

#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/text_ops.h"

namespace updater {

rt::OwnedText RunDirectoryFile(const char* suffix) {
  rt::OwnedText directory = rt::CallText(rt::GetRunDirectory);
  return rt::OwnedText(rt::ConcatTexts(2, directory.get(), suffix));
}

rt::OwnedText ExecutableIn(const char* directory, const char* baseName) {
  return rt::OwnedText(rt::ConcatTexts(4, directory, "\\", baseName, ".exe"));
}

rt::OwnedText KeptCopyOf(const char* executablePath) {
  return rt::OwnedText(rt::ConcatTexts(2, executablePath, ".bak"));
}

}  // namespace updater
