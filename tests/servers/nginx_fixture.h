// The Windows tests' view of the nginx that the CTest fixture "nginx" runs on loopback
// (tests/servers/nginx-fixture). A test declared with corvane_uses_nginx(<test>) in CMake gets
// the fixture's directory in CORVANE_NGINX_DIR; this class reads its port, names its served
// files and reads its access log.
//
//   testsrv::NginxFixture nginx;
//   ASSERT_TRUE(nginx.Ok()) << nginx.Problem();
//   const std::string tag = testsrv::UniqueTag();
//   ... fetch nginx.Url("/plain/pattern-10241.bin?t=" + tag) ...
//   std::optional<testsrv::AccessEntry> seen = nginx.WaitForAccess(tag, 5000);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsrv {

// One line of the access log: the request as nginx saw it and what it answered. Absent
// values read "-".
struct AccessEntry {
  std::string request;  // the request line, for example "GET /plain/x.bin?t=7 HTTP/1.1"
  std::string status;
  std::string bodyBytesSent;
  std::string range, accept, acceptLanguage, acceptEncoding, userAgent;
  std::string contentEncoding, contentLength;  // of the answer
  std::string tag;                             // the request's query value "t"
};

class NginxFixture {
 public:
  NginxFixture();

  // False when CORVANE_NGINX_DIR is unset or the fixture wrote no port; Problem() says which.
  bool Ok() const { return port_ != 0; }
  const std::string& Problem() const { return problem_; }

  uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path, for example "/gzip/pattern-10240.bin".
  std::string Url(const std::string& path) const;
  // The Windows path of a served file (www/ of the fixture's directory, seen through Z:).
  std::string ServedFile(const std::string& name) const;
  // The bytes of a served file.
  std::string ReadServedFile(const std::string& name) const;

  std::vector<AccessEntry> AccessLog() const;
  // The entry of the request with query value t=tag; nginx logs a request once its answer is
  // sent, so the line may come a moment after the client saw the last byte.
  std::optional<AccessEntry> WaitForAccess(const std::string& tag, uint32_t timeoutMs) const;

 private:
  std::string dir_;  // Windows form
  uint16_t port_ = 0;
  std::string problem_;
};

// A Linux path in the form Windows programs under Wine see it: Z: and backslashes.
std::string WindowsPathOf(const std::string& linuxPath);

// A text unique to this process and call, for telling one's own requests in a shared log.
std::string UniqueTag();

// The bytes of a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace testsrv
