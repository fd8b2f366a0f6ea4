#include "runtime/program_path.h"

#include <string>

#include "runtime/gbk.h"

namespace rt {

namespace {

// Fixed once at start-up on the main thread, read-only afterwards.
struct ProgramPath {
  std::string directory;
  std::string fileName;
};

ProgramPath& Path() {
  static ProgramPath path;
  return path;
}

}  // namespace

ptrdiff_t LastPathSeparator(const char* path) {
  ptrdiff_t last = -1;
  for (ptrdiff_t i = 0; path[i] != '\0';) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsGbkLeadByte(c) && path[i + 1] != '\0') {
      i += 2;
      continue;
    }
    if (c == '\\') last = i;
    ++i;
  }
  return last;
}

const char* RunDirectory() { return Path().directory.c_str(); }

const char* ProgramFileName() { return Path().fileName.c_str(); }

void SetProgramPath(const char* fullPath) {
  const std::string path = fullPath != nullptr ? fullPath : "";
  const ptrdiff_t separator = LastPathSeparator(path.c_str());
  if (separator < 0) {
    Path() = {"", path};
  } else {
    Path() = {path.substr(0, static_cast<size_t>(separator)), path.substr(static_cast<size_t>(separator) + 1)};
  }
}

}  // namespace rt
