// A tiny HTTP listener on a loopback port that records the request lines it receives and
// answers each with an empty page.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class LoopbackListener {
 public:
  explicit LoopbackListener(int port);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  bool listening() const { return socket_ != ~uintptr_t{0}; }
  bool WaitForRequestLine(const std::string& line, unsigned long timeoutMs) const;
  // Every request line so far, separated by " | ".
  std::string RequestLines() const;

 private:
  void Serve();

  uintptr_t socket_ = ~uintptr_t{0};
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

}  // namespace e2e
