#include "runtime/open_files.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "runtime/command.h"

namespace rt {

namespace {

// One entry of the table. `number` is the FileNumber while the file is open, 0 while the slot
// is free and kBusy while a thread opens or closes it; every change of it is one atomic step.
// A number carries a serial beside its slot, so a stale number never names a file opened later.
struct FileSlot {
  std::atomic<int32_t> number{0};
  HANDLE handle = INVALID_HANDLE_VALUE;
};

constexpr int32_t kBusy = -1;
constexpr int32_t kSlotBits = 6;
constexpr int32_t kSlotCount = 1 << kSlotBits;
FileSlot g_slots[kSlotCount];
std::atomic<int32_t> g_serial{0};

int32_t NewNumber(int32_t slot) {
  const int32_t serial = (g_serial.fetch_add(1) & 0x00FFFFFF) + 1;
  return (serial << kSlotBits) | slot;
}

// The open file behind a number, or null when the number is not in the table.
FileSlot* FindOpen(int32_t number) {
  if (number <= 0) return nullptr;
  FileSlot& slot = g_slots[number & (kSlotCount - 1)];
  return slot.number.load() == number ? &slot : nullptr;
}

int32_t ClaimSlot() {
  for (int32_t i = 0; i < kSlotCount; ++i) {
    int32_t expected = 0;
    if (g_slots[i].number.compare_exchange_strong(expected, kBusy)) return i;
  }
  return -1;
}

struct OpenMode {
  DWORD access;
  DWORD creation;
};

constexpr OpenMode kModes[] = {
    {GENERIC_READ, OPEN_EXISTING},                  // 1 read
    {GENERIC_WRITE, OPEN_EXISTING},                 // 2 write
    {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},  // 3 read and write
    {GENERIC_WRITE, CREATE_ALWAYS},                 // 4 rewrite
    {GENERIC_WRITE, OPEN_ALWAYS},                   // 5 write, keep contents
    {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS},    // 6 read and write, keep contents
};

constexpr DWORD kShares[] = {
    FILE_SHARE_READ | FILE_SHARE_WRITE,  // 1
    FILE_SHARE_WRITE,                    // 2 others may not read
    FILE_SHARE_READ,                     // 3 others may not write
    0,                                   // 4 exclusive
};

int32_t OptionalInt(int32_t argc, const ArgRecord* args, int32_t index, int32_t fallback) {
  const ArgRecord arg = ArgAt(argc, args, index);
  return arg.tag == TypeTag::Omitted ? fallback : arg.AsInt();
}

bool MoveTo(HANDLE handle, int64_t offset, DWORD method) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(handle, distance, nullptr, method) != 0;
}

int64_t CurrentPosition(HANDLE handle) {
  LARGE_INTEGER zero{}, position{};
  return SetFilePointerEx(handle, zero, &position, FILE_CURRENT) != 0 ? position.QuadPart : -1;
}

}  // namespace

void OpenFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* path = TextOf(ArgAt(argc, args, 0));
  const int32_t mode = OptionalInt(argc, args, 1, 3);
  const int32_t share = OptionalInt(argc, args, 2, 1);
  if (path[0] == '\0' || mode < 1 || mode > 6 || share < 1 || share > 4) return;

  const int32_t index = ClaimSlot();
  if (index < 0) return;
  FileSlot& slot = g_slots[index];
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const OpenMode& open = kModes[mode - 1];
  HANDLE handle = CreateFileA(path, open.access, kShares[share - 1], &inheritable, open.creation,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    slot.number.store(0);
    return;
  }
  slot.handle = handle;
  const int32_t number = NewNumber(index);
  slot.number.store(number);
  SetInt(result, number);
}

void SeekFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileSlot* slot = FindOpen(ArgAt(argc, args, 0).AsInt());
  if (slot == nullptr) return;
  const int32_t method = OptionalInt(argc, args, 1, 1);
  if (method < 1 || method > 3) return;
  constexpr DWORD kMethods[] = {FILE_BEGIN, FILE_END, FILE_CURRENT};
  SetBool(result, MoveTo(slot->handle, OptionalInt(argc, args, 2, 0), kMethods[method - 1]));
}

void SeekToStart(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileSlot* slot = FindOpen(ArgAt(argc, args, 0).AsInt());
  if (slot != nullptr) SetBool(result, MoveTo(slot->handle, 0, FILE_BEGIN));
}

void SeekToEnd(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileSlot* slot = FindOpen(ArgAt(argc, args, 0).AsInt());
  if (slot != nullptr) SetBool(result, MoveTo(slot->handle, 0, FILE_END));
}

void WriteData(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileSlot* slot = FindOpen(ArgAt(argc, args, 0).AsInt());
  if (slot == nullptr) return;
  const int64_t start = CurrentPosition(slot->handle);
  for (int32_t i = 1; i < argc; ++i) {
    const Bytes* data = args[i].tag == TypeTag::Bytes ? args[i].AsBytes() : nullptr;
    if (data == nullptr || data->length <= 0) continue;
    DWORD written = 0;
    const BOOL ok = WriteFile(slot->handle, data->data(), static_cast<DWORD>(data->length), &written, nullptr);
    if (!ok || written != static_cast<DWORD>(data->length)) {
      if (start >= 0) MoveTo(slot->handle, start, FILE_BEGIN);
      return;
    }
  }
  SetBool(result, true);
}

void SetFileEnd(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileSlot* slot = FindOpen(ArgAt(argc, args, 0).AsInt());
  if (slot != nullptr) SetBool(result, SetEndOfFile(slot->handle) != 0);
}

void CloseFile(ArgRecord*, int32_t argc, const ArgRecord* args) {
  const int32_t number = ArgAt(argc, args, 0).AsInt();
  FileSlot* slot = FindOpen(number);
  if (slot == nullptr) return;
  int32_t expected = number;
  if (!slot->number.compare_exchange_strong(expected, kBusy)) return;  // another closer won
  CloseHandle(slot->handle);
  slot->handle = INVALID_HANDLE_VALUE;
  slot->number.store(0);
}

}  // namespace rt
