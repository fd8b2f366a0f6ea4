#include "tests/driver/test_clock.h"

#include <cstring>

namespace driver {

namespace {

thread_local bool t_followsTestClock = false;
// What the slot held before: the system's GetTickCount.
FARPROC g_systemClock = nullptr;

// The import address slot through which this program's own code calls `function`.
FARPROC* ImportSlot(const char* function) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name != 0;
       ++library) {
    if (library->OriginalFirstThunk == 0) continue;  // the names are gone where the slots were bound
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return reinterpret_cast<FARPROC*>(&slot->u1.Function);
      }
    }
  }
  return nullptr;
}

void Store(FARPROC* slot, FARPROC value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace

std::atomic<uint32_t> TestClock::now_{0};

TestClock::TestClock(uint32_t now) : slot_(ImportSlot("GetTickCount")) {
  now_ = now;
  if (slot_ == nullptr) return;
  g_systemClock = *slot_;
  Store(slot_, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&TestClock::Read)));
}

TestClock::~TestClock() {
  if (slot_ != nullptr) Store(slot_, g_systemClock);
  t_followsTestClock = false;
}

void TestClock::FollowOnThisThread() { t_followsTestClock = true; }

DWORD WINAPI TestClock::Read() {
  if (t_followsTestClock) return now_.load();
  return reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(g_systemClock))();
}

}  // namespace driver
