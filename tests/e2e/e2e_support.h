// What the end-to-end tests share: a fresh run directory per test, the programs of the build,
// and the files the programs leave behind.
#pragma once

#include <string>
#include <vector>

#include "tests/driver/driver.h"

namespace e2e {

// Generous: a first start of a program with the browser control under Wine takes a while on a
// loaded machine. Tests wait on conditions, so a deadline only matters when something is wrong.
constexpr DWORD kDeadlineMs = 20000;

// The directory that holds the build's programs (the running test's own directory).
std::string ProgramDirectory();

// A new, empty directory of the test's own under the temporary directory; removed with its
// contents at the end of the test.
class RunDirectory {
 public:
  RunDirectory();
  ~RunDirectory();
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

  // Copies a program of the build into the directory (under another name when given).
  bool Install(const std::string& program, const std::string& asName = "");
  // Starts an installed program in this directory.
  driver::Process Start(const std::string& program, const std::string& arguments = "") const;

  bool Exists(const std::string& name) const;
  // The file's lines without line ends; empty when there is no file.
  std::vector<std::string> ReadLines(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace e2e
