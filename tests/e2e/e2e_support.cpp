#include "tests/e2e/e2e_support.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

namespace e2e {

bool RunDirectory::InstallUpdater() {
  const std::string source = driver::ProductDirectory() + "\\CorvaneUpdater.exe";
  return CopyFileA(source.c_str(), File("CorvaneUpdater.exe").c_str(), FALSE) != FALSE;
}

bool RunDirectory::Install(const std::string& program, const std::string& asName) {
  const std::string source = driver::ProgramDirectory() + "\\" + program;
  return CopyFileA(source.c_str(), File(asName.empty() ? program : asName).c_str(), FALSE) != FALSE;
}

driver::Process RunDirectory::Start(const std::string& program, const std::string& arguments) const {
  std::string commandLine = "\"" + File(program) + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  return driver::Process::Start(commandLine, path());
}

bool RunDirectory::Exists(const std::string& name) const { return driver::FileExistsAt(File(name)); }

bool RunDirectory::Write(const std::string& name, const std::string& bytes) const {
  return driver::WriteWholeFile(File(name), bytes);
}

std::optional<std::string> RunDirectory::Read(const std::string& name) const {
  return driver::ReadWholeFile(File(name));
}

std::vector<std::string> RunDirectory::Files() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(File("*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> RunDirectory::ReadLines(const std::string& name) const {
  std::vector<std::string> lines;
  std::ifstream file(File(name), std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace e2e
