#include "tests/e2e/loopback_listener.h"

#include <winsock2.h>

#include "tests/driver/driver.h"

namespace e2e {

namespace {

std::string ReadRequestHead(SOCKET connection) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
    const int received = recv(connection, buffer, sizeof buffer, 0);
    if (received <= 0) break;
    head.append(buffer, static_cast<size_t>(received));
  }
  return head;
}

}  // namespace

LoopbackListener::LoopbackListener(int port) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return;
  BOOL exclusive = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0) {
    closesocket(listener);
    return;
  }
  socket_ = listener;
  thread_ = std::thread([this] { Serve(); });
}

LoopbackListener::~LoopbackListener() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listening()) closesocket(static_cast<SOCKET>(socket_));
  WSACleanup();
}

void LoopbackListener::Serve() {
  const auto listener = static_cast<SOCKET>(socket_);
  while (!stopping_) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{0, 50000};
    if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET connection = accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET) continue;
    const std::string head = ReadRequestHead(connection);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(head.substr(0, head.find("\r\n")));
    }
    static const char kAnswer[] =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(connection, kAnswer, sizeof kAnswer - 1, 0);
    shutdown(connection, SD_BOTH);
    closesocket(connection);
  }
}

bool LoopbackListener::WaitForRequestLine(const std::string& line, unsigned long timeoutMs) const {
  return driver::WaitUntil(timeoutMs, [&] {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& seen : lines_) {
      if (seen == line) return true;
    }
    return false;
  });
}

std::string LoopbackListener::RequestLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string all;
  for (const std::string& line : lines_) all += (all.empty() ? "" : " | ") + line;
  return all;
}

}  // namespace e2e
