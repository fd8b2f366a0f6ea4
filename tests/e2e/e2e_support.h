// What the end-to-end tests share: a fresh run directory per test, the programs of the build,
// and the files the programs leave behind.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"

namespace e2e {

// Generous: a first start of a program with the browser control under Wine takes a while on a
// loaded machine. Tests wait on conditions, so a deadline only matters when something is wrong.
inline const DWORD kDeadlineMs = driver::DeadlineMs(20000);

// A new, empty directory of the test's own under the temporary directory; removed with its
// contents at the end of the test.
class RunDirectory {
 public:
  explicit RunDirectory(const std::string& prefix = "corvane-e2e", const std::string& base = "")
      : directory_(prefix, base) {}

  const std::string& path() const { return directory_.path(); }
  std::string File(const std::string& name) const { return directory_ / name; }

  // Copies a program of the build into the directory (under another name when given).
  bool Install(const std::string& program, const std::string& asName = "");
  // Copies the updater under test (of driver::ProductDirectory) into the directory.
  bool InstallUpdater();
  // Starts an installed program in this directory.
  driver::Process Start(const std::string& program, const std::string& arguments = "") const;

  bool Exists(const std::string& name) const;
  // Writes a file of the directory with exactly these bytes.
  bool Write(const std::string& name, const std::string& bytes) const;
  // The file's bytes, or empty when there is none.
  std::optional<std::string> Read(const std::string& name) const;
  // The file's lines without line ends; empty when there is no file.
  std::vector<std::string> ReadLines(const std::string& name) const;
  // The names of the files in the directory, sorted.
  std::vector<std::string> Files() const;

 private:
  driver::TempDirectory directory_;
};

// A file open for reading that others may only read, for as long as this lives or until
// Release: nobody can move it, write it or remove it meanwhile.
class FileHold {
 public:
  explicit FileHold(const std::string& path)
      : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  ~FileHold() { Release(); }
  bool Ok() const { return file_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Ok()) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE file_;
};

}  // namespace e2e
