// Notices a transfer that has gone quiet: when nothing was fed for the limit, it calls its
// action once, from a thread of its own (the transfer itself is blocked in a read then).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace updater {

class StallWatch {
 public:
  StallWatch(uint32_t limitMs, std::function<void()> onStall);
  ~StallWatch();
  StallWatch(const StallWatch&) = delete;
  StallWatch& operator=(const StallWatch&) = delete;

  // Something arrived: the limit counts from now.
  void Feed();
  // Whether the action has run.
  bool Fired() const { return fired_.load(); }

 private:
  void Watch();

  const uint32_t limitMs_;
  const std::function<void()> onStall_;
  std::atomic<int32_t> lastFedMs_;
  std::atomic<bool> ended_{false};
  std::atomic<bool> fired_{false};
  std::thread thread_;  // last: it starts once everything it reads is set
};

}  // namespace updater
