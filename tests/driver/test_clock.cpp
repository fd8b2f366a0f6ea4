#include "tests/driver/test_clock.h"

#include "tests/driver/import_slots.h"

namespace driver {

namespace {

thread_local bool t_followsTestClock = false;
// What the slot held before: the system's GetTickCount.
FARPROC g_systemClock = nullptr;

}  // namespace

std::atomic<uint32_t> TestClock::now_{0};

TestClock::TestClock(uint32_t now) : slot_(ImportSlot("GetTickCount")) {
  now_ = now;
  if (slot_ == nullptr) return;
  g_systemClock = *slot_;
  StoreInSlot(slot_, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&TestClock::Read)));
}

TestClock::~TestClock() {
  if (slot_ != nullptr) StoreInSlot(slot_, g_systemClock);
  t_followsTestClock = false;
}

void TestClock::FollowOnThisThread() { t_followsTestClock = true; }

DWORD WINAPI TestClock::Read() {
  if (t_followsTestClock) return now_.load();
  return reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(g_systemClock))();
}

}  // namespace driver
