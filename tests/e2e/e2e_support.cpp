#include "tests/e2e/e2e_support.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>

namespace e2e {

namespace {

void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = directory + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

}  // namespace

std::string ProgramDirectory() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string directory = path;
  return directory.substr(0, directory.find_last_of('\\'));
}

RunDirectory::RunDirectory() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  char name[64];
  std::snprintf(name, sizeof name, "corvane-e2e-%lu-%d-%llu", GetCurrentProcessId(), counter.fetch_add(1),
                static_cast<unsigned long long>(GetTickCount64()));
  path_ = std::string(temp) + name;
  CreateDirectoryA(path_.c_str(), nullptr);
}

RunDirectory::~RunDirectory() { RemoveTree(path_); }

bool RunDirectory::Install(const std::string& program, const std::string& asName) {
  const std::string source = ProgramDirectory() + "\\" + program;
  return CopyFileA(source.c_str(), File(asName.empty() ? program : asName).c_str(), FALSE) != FALSE;
}

driver::Process RunDirectory::Start(const std::string& program, const std::string& arguments) const {
  std::string commandLine = "\"" + File(program) + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  return driver::Process::Start(commandLine, path_);
}

bool RunDirectory::Exists(const std::string& name) const {
  return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
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
