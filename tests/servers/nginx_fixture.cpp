#include "tests/servers/nginx_fixture.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace testsrv {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

std::string WindowsPathOf(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string UniqueTag() {
  static std::atomic<unsigned> counter{0};
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
         std::to_string(++counter);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

NginxFixture::NginxFixture() {
  const char* dir = std::getenv("CORVANE_NGINX_DIR");
  if (dir == nullptr || *dir == '\0') {
    problem_ = "CORVANE_NGINX_DIR is not set: declare the test with corvane_uses_nginx()";
    return;
  }
  dir_ = WindowsPathOf(dir);
  const int port = std::atoi(ReadWholeFile(dir_ + "\\port").c_str());
  if (port <= 0 || port > 65535) {
    problem_ = "no port in " + dir_ + "\\port: the nginx fixture did not start";
    return;
  }
  port_ = static_cast<uint16_t>(port);
}

std::string NginxFixture::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string NginxFixture::ServedFile(const std::string& name) const { return dir_ + "\\www\\" + name; }

std::string NginxFixture::ReadServedFile(const std::string& name) const { return ReadWholeFile(ServedFile(name)); }

std::vector<AccessEntry> NginxFixture::AccessLog() const {
  std::vector<AccessEntry> entries;
  std::istringstream lines(ReadWholeFile(dir_ + "\\access.log"));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f = SplitTabs(line);
    if (f.size() != 11) continue;
    entries.push_back(AccessEntry{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]});
  }
  return entries;
}

std::optional<AccessEntry> NginxFixture::WaitForAccess(const std::string& tag, uint32_t timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const AccessEntry& entry : AccessLog()) {
      if (entry.tag == tag) return entry;
    }
    if (GetTickCount() - start >= timeoutMs) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace testsrv
