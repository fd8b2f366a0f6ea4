#include "updater/stall_watch.h"

#include <utility>

#include "runtime/args.h"
#include "runtime/clock.h"

namespace updater {

namespace {

// How often the watch looks: a stall is noticed this much after the limit at the latest.
constexpr int32_t kLookEveryMs = 100;

int32_t Now() { return rt::CallInt(rt::GetUptimeMs); }

}  // namespace

StallWatch::StallWatch(uint32_t limitMs, std::function<void()> onStall)
    : limitMs_(limitMs), onStall_(std::move(onStall)), lastFedMs_(Now()), thread_([this] { Watch(); }) {}

StallWatch::~StallWatch() {
  ended_.store(true);
  thread_.join();
}

void StallWatch::Feed() { lastFedMs_.store(Now()); }

void StallWatch::Watch() {
  while (!ended_.load()) {
    // The difference of two tick counts stays right across their wrap-around.
    if (static_cast<uint32_t>(Now() - lastFedMs_.load()) >= limitMs_) {
      fired_.store(true);
      onStall_();
      return;
    }
    rt::Call(rt::Delay, rt::Int(kLookEveryMs));
  }
}

}  // namespace updater
