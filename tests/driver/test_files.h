// Files and directories for the Windows tests: a private directory per test, whole-file reads
// and writes, and where the build's programs are.
#pragma once

#include <optional>
#include <string>

namespace driver {

// A private directory for one test, removed with everything in it when the object goes. It
// is made in the temporary directory, or in `base` when one is given.
class TempDirectory {
 public:
  explicit TempDirectory(const std::string& prefix = "corvane", const std::string& base = "");
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  ~TempDirectory();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

bool WriteWholeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadWholeFile(const std::string& path);
bool FileExistsAt(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to);
// The size of a file, or -1 when there is none.
long long FileSizeAt(const std::string& path);
// A file of `size` zero bytes that takes (almost) no disk: its length is set, nothing written.
bool WriteZeroFile(const std::string& path, long long size);

// The directory of the running executable (where the build's programs are).
std::string ProgramDirectory();

// The folder of the programs under test: CORVANE_PRODUCT_DIR (a Windows path) when set, so that
// tests can drive another build's programs (the 32-bit product's, from the 64-bit tests), else
// this program's own folder.
std::string ProductDirectory();

}  // namespace driver
