// A clock the test sets, in place of this program's GetTickCount for the threads that follow
// it: the elapsed times the product computes become exact values. Every other thread keeps the
// system's clock.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace driver {

class TestClock {
 public:
  // Puts the test's clock, reading `now`, in the place of the program's GetTickCount.
  explicit TestClock(uint32_t now);
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;
  // Gives the program its GetTickCount back.
  ~TestClock();

  bool Ok() const { return slot_ != nullptr; }
  // From now on GetTickCount on the calling thread reads the test's clock.
  void FollowOnThisThread();
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  static DWORD WINAPI Read();
  static std::atomic<uint32_t> now_;
  FARPROC* slot_ = nullptr;
};

}  // namespace driver
