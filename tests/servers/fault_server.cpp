#include "tests/servers/fault_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

namespace testsrv {

namespace {

// How often blocked socket waits look at the stop flag: stopping never takes much longer.
constexpr long PollMs = 20;
// A client gets this long to close its end after the server's FIN before the socket goes.
constexpr DWORD DrainMs = 3000;
constexpr size_t MaxHeadBytes = 1 << 20;
constexpr uint32_t ResetAfterMs = 50;
const std::string BlankLine = "\r\n\r\n";

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  }
  ~WinsockSession() { WSACleanup(); }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
};

class Socket {
 public:
  explicit Socket(SOCKET s = INVALID_SOCKET) : s_(s) {}
  Socket(Socket&& other) noexcept : s_(std::exchange(other.s_, INVALID_SOCKET)) {}
  Socket& operator=(Socket&& other) noexcept {
    std::swap(s_, other.s_);
    return *this;
  }
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

void MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

// Whether s became readable (or writable) within one poll interval.
bool Ready(SOCKET s, bool forWriting) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, PollMs * 1000};
  const int n = forWriting ? select(0, nullptr, &set, nullptr, &wait) : select(0, &set, nullptr, nullptr, &wait);
  return n > 0;
}

bool IsWouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }

std::vector<std::string> SplitLines(const std::string& head) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = head.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(head.substr(start, end - start));
  }
  return lines;
}

Request ParseRequest(std::string head) {
  Request request;
  std::vector<std::string> lines = SplitLines(head);
  request.head = std::move(head);
  if (!lines.empty()) request.requestLine = lines.front();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty()) request.headerLines.push_back(lines[i]);
  }
  return request;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string GzipStored(const std::string& body) {
  uint32_t table[256];
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : body) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  crc ^= 0xFFFFFFFFu;
  auto little = [](std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  };
  std::string coded("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, body.size() - at);
    coded += static_cast<char>(at + n == body.size() ? 1 : 0);  // the last block says so
    little(coded, static_cast<uint32_t>(n), 2);
    little(coded, static_cast<uint32_t>(~n & 0xFFFF), 2);
    coded.append(body, at, n);
    at += n;
  } while (at < body.size());
  little(coded, crc, 4);
  little(coded, static_cast<uint32_t>(body.size()), 4);
  return coded;
}

std::string Response::Payload() const { return gzip ? GzipStored(body) : body; }

std::string Response::Head() const {
  std::string head = statusLine + "\r\n";
  for (const std::string& line : headers) head += line + "\r\n";
  if (gzip) head += "Content-Encoding: gzip\r\n";
  if (framing == Framing::ContentLength) head += "Content-Length: " + std::to_string(Payload().size()) + "\r\n";
  if (framing == Framing::Chunked) head += "Transfer-Encoding: chunked\r\n";
  return head + "\r\n";
}

std::string Response::EncodedBody() const {
  const std::string body = Payload();
  if (framing != Framing::Chunked) return body;
  std::string encoded;
  const size_t step = std::max<size_t>(chunkSize, 1);
  for (size_t at = 0; at < body.size(); at += step) {
    const size_t n = std::min(step, body.size() - at);
    char size[20];
    snprintf(size, sizeof size, "%zx\r\n", n);
    encoded += size;
    encoded.append(body, at, n);
    encoded += "\r\n";
  }
  return encoded + "0\r\n\r\n";
}

Response Ok(std::string body) { return Status(200, "OK", std::move(body)); }

Response Status(int code, const std::string& reason, std::string body) {
  Response response;
  response.statusLine = "HTTP/1.1 " + std::to_string(code) + " " + reason;
  response.body = std::move(body);
  return response;
}

Response FileAnswer(const Request& request, const std::string& body, const std::string& validator, bool ranges,
                    bool honourIfRange) {
  std::vector<std::string> naming;
  const bool tag = !validator.empty() && (validator[0] == '"' || validator.rfind("W/", 0) == 0);
  if (!validator.empty()) naming.push_back((tag ? "ETag: " : "Last-Modified: ") + validator);
  const std::string range = request.Header("Range");
  const std::string ifRange = request.Header("If-Range");
  const bool sameVersion = ifRange.empty() || ifRange == validator || !honourIfRange;
  if (ranges && sameVersion && range.rfind("bytes=", 0) == 0 && range.back() == '-') {
    const size_t start = std::strtoull(range.c_str() + 6, nullptr, 10);
    if (start < body.size()) {
      Response part = Status(206, "Partial Content", body.substr(start));
      part.headers = naming;
      part.headers.push_back("Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(body.size() - 1) +
                             "/" + std::to_string(body.size()));
      return part;
    }
  }
  Response whole = Ok(body);
  whole.headers = naming;
  return whole;
}

std::string Request::Target() const {
  const size_t first = requestLine.find(' ');
  const size_t last = requestLine.rfind(' ');
  if (first == std::string::npos || last <= first) return "";
  return requestLine.substr(first + 1, last - first - 1);
}

std::string Request::Header(const std::string& name) const {
  for (const std::string& line : headerLines) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos || !SameNameIgnoringCase(line.substr(0, colon), name)) continue;
    const size_t value = line.find_first_not_of(" \t", colon + 1);
    return value == std::string::npos ? "" : line.substr(value);
  }
  return "";
}

struct FaultServer::State {
  WinsockSession winsock;  // first in, last out
  Handler handler;
  Socket listener;
  uint16_t port = 0;
  std::atomic<bool> stopping{false};
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::vector<Request> requests;
  size_t connections = 0;
  std::vector<std::thread> workers;
  std::thread acceptor;

  explicit State(Handler h) : handler(std::move(h)) {
    listener = Socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (listener.get() == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.get(), SOMAXCONN) != 0 ||
        getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    MakeNonBlocking(listener.get());
    acceptor = std::thread([this] { AcceptLoop(); });
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    changed.notify_all();
    acceptor.join();  // no worker is added after this
    for (std::thread& worker : workers) worker.join();
  }

  void AcceptLoop() {
    while (!stopping) {
      if (!Ready(listener.get(), false)) continue;
      Socket client(accept(listener.get(), nullptr, nullptr));
      if (client.get() == INVALID_SOCKET) continue;
      MakeNonBlocking(client.get());
      BOOL noDelay = TRUE;  // each drip piece leaves as its own segment
      setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
      std::lock_guard<std::mutex> lock(mutex);
      ++connections;
      workers.emplace_back([this, s = std::move(client)]() mutable { Serve(std::move(s)); });
    }
  }

  // Sleeps up to ms; false when the server is stopping.
  bool Pause(uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex);
    return !changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping.load(); });
  }

  void WaitForStop() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return stopping.load(); });
  }

  // The next request head on the connection; bytes after it stay in `pending` (pipelining).
  std::optional<Request> ReadRequest(SOCKET s, std::string& pending) {
    size_t end;
    while ((end = pending.find(BlankLine)) == std::string::npos) {
      if (stopping || pending.size() > MaxHeadBytes) return std::nullopt;
      if (!Ready(s, false)) continue;
      char buffer[4096];
      const int n = recv(s, buffer, sizeof buffer, 0);
      if (n == 0 || (n < 0 && !IsWouldBlock())) return std::nullopt;
      if (n > 0) pending.append(buffer, n);
    }
    std::string head = pending.substr(0, end + BlankLine.size());
    pending.erase(0, head.size());
    return ParseRequest(std::move(head));
  }

  bool SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
      if (stopping) return false;
      const int n = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 16)), 0);
      if (n > 0) {
        data += n;
        size -= static_cast<size_t>(n);
      } else if (n < 0 && IsWouldBlock()) {
        Ready(s, true);
      } else {
        return false;
      }
    }
    return true;
  }

  bool SendBody(SOCKET s, const Response& response, const std::string& body, size_t size) {
    if (response.dripPiece == 0) return SendAll(s, body.data(), size);
    for (size_t at = 0; at < size; at += response.dripPiece) {
      if (!Pause(response.dripDelayMs)) return false;
      if (!SendAll(s, body.data() + at, std::min(response.dripPiece, size - at))) return false;
    }
    return true;
  }

  // FIN, then give the client time to close its end: closing a socket with unread input would
  // send RST, which can make the client drop bytes it has not read yet.
  void CloseGracefully(SOCKET s) {
    shutdown(s, SD_SEND);
    const DWORD start = GetTickCount();
    while (!stopping && GetTickCount() - start < DrainMs) {
      if (!Ready(s, false)) continue;
      char buffer[4096];
      const int n = recv(s, buffer, sizeof buffer, 0);
      if (n == 0 || (n < 0 && !IsWouldBlock())) return;
    }
  }

  void Reset(SOCKET s) {
    linger abort{1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
  }

  // Sends one response; true when the connection stays open for another request.
  bool Answer(SOCKET s, const Response& response) {
    const std::string body = response.EncodedBody();
    const bool complete = response.ending == Ending::Complete;
    if (response.headFirst || complete) {
      const std::string head = response.Head();
      if (!SendAll(s, head.data(), head.size())) return false;
      const size_t size = complete ? body.size() : std::min(response.endAfter, body.size());
      if (!SendBody(s, response, body, size)) return false;
      while (complete && response.endless) {
        if (stopping || !SendBody(s, response, body, size)) return false;
      }
    }
    switch (response.ending) {
      case Ending::Complete:
        if (response.framing != Framing::CloseDelimited) return true;
        CloseGracefully(s);
        return false;
      case Ending::Close: CloseGracefully(s); return false;
      case Ending::Reset:
        // The client first takes in what was sent and waits for more, so the reset reaches it
        // as a failure of that wait rather than racing the last bytes.
        Pause(ResetAfterMs);
        Reset(s);
        return false;
      case Ending::Stall: WaitForStop(); return false;
    }
    return false;
  }

  void Serve(Socket client) {
    std::string pending;
    while (std::optional<Request> request = ReadRequest(client.get(), pending)) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(*request);
      }
      changed.notify_all();
      if (!Answer(client.get(), handler(*request))) return;
    }
  }
};

FaultServer::FaultServer(Handler handler) : state_(std::make_unique<State>(std::move(handler))) {}

FaultServer::FaultServer(Response always)
    : FaultServer(Handler([always = std::move(always)](const Request&) { return always; })) {}

FaultServer::~FaultServer() { state_->Stop(); }

uint16_t FaultServer::Port() const { return state_->port; }

std::string FaultServer::Url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + target;
}

std::vector<Request> FaultServer::Requests() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->requests;
}

bool FaultServer::WaitForRequests(size_t count, uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return state_->requests.size() >= count; });
}

size_t FaultServer::Connections() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->connections;
}

}  // namespace testsrv
