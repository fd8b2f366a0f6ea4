// One GET request through WinINet: the address taken apart, a connection to its server, and the
// request sent with the download's header lines. A request made so takes a receive timeout before
// it is sent (one that InternetOpenUrlA makes does not on every WinINet), so that a server that
// goes quiet makes the read fail instead of waiting for ever.
#pragma once

#include <cstdint>

namespace updater {

class HttpRequest {
 public:
  // Sends the request in the session; get() is 0 when it could not be sent, and the system's
  // last error says why.
  HttpRequest(uintptr_t session, const char* url, const char* headers, uint32_t quietLimitMs);
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  uintptr_t get() const { return request_; }

 private:
  uintptr_t connection_ = 0;
  uintptr_t request_ = 0;
};

}  // namespace updater
