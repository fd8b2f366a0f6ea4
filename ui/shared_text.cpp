#include "ui/shared_text.h"

#include <algorithm>
#include <cstring>

#include "runtime/memory.h"

namespace ui {

namespace {

// Readers currently inside SharedText::Read, over all texts of the program.
std::atomic<int32_t> activeReaders{0};

// Replaced blocks waiting for a moment without readers (a lock-free stack).
std::atomic<void*> retiredHead{nullptr};
std::atomic<size_t> retiredCount{0};

}  // namespace

SharedText::ReaderScope::ReaderScope() { activeReaders.fetch_add(1); }
SharedText::ReaderScope::~ReaderScope() { activeReaders.fetch_sub(1); }

SharedText::SharedText(const char* initial)
    : current_(MakeBlock(initial != nullptr ? initial : "", initial != nullptr ? std::strlen(initial) : 0)) {}

SharedText::~SharedText() { rt::RuntimeFree(current_.load()); }

SharedText::Block* SharedText::MakeBlock(const char* text, size_t length) {
  auto* block = static_cast<Block*>(rt::RuntimeAlloc(offsetof(Block, text) + length + 1));
  block->nextRetired = nullptr;
  block->length = length;
  std::memcpy(block->text, text, length);
  block->text[length] = '\0';
  return block;
}

bool SharedText::Store(const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  const bool same = Read([&](const char* now, size_t nowLength) {
    return nowLength == length && std::memcmp(now, text, length) == 0;
  });
  if (same) return false;
  Retire(current_.exchange(MakeBlock(text, length)));
  return true;
}

// Any reader that could still hold `block` announced itself before the exchange that
// unpublished it, so a zero count seen after the exchange means nobody holds it.
void SharedText::Retire(Block* block) {
  if (activeReaders.load() == 0) {
    rt::RuntimeFree(block);
  } else {
    void* head = retiredHead.load();
    do {
      block->nextRetired = static_cast<Block*>(head);
    } while (!retiredHead.compare_exchange_weak(head, block));
    retiredCount.fetch_add(1);
  }
  FreeRetiredIfQuiet();
}

void SharedText::FreeRetiredIfQuiet() {
  if (retiredHead.load() == nullptr || activeReaders.load() != 0) return;
  auto* list = static_cast<Block*>(retiredHead.exchange(nullptr));
  if (list == nullptr) return;
  if (activeReaders.load() == 0) {
    while (list != nullptr) {
      Block* next = list->nextRetired;
      rt::RuntimeFree(list);
      retiredCount.fetch_sub(1);
      list = next;
    }
    return;
  }
  // A reader came in meanwhile: put the whole chain back for a later writer.
  Block* tail = list;
  while (tail->nextRetired != nullptr) tail = tail->nextRetired;
  void* head = retiredHead.load();
  do {
    tail->nextRetired = static_cast<Block*>(head);
  } while (!retiredHead.compare_exchange_weak(head, list));
}

char* SharedText::Copy() const {
  return Read([](const char* text, size_t length) -> char* {
    if (length == 0) return nullptr;
    auto* copy = static_cast<char*>(rt::RuntimeAlloc(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
  });
}

size_t SharedText::CopyTo(char* out, size_t capacity) const {
  if (capacity == 0) return 0;
  return Read([&](const char* text, size_t length) {
    const size_t copied = std::min(length, capacity - 1);
    std::memcpy(out, text, copied);
    out[copied] = '\0';
    return copied;
  });
}

size_t SharedText::Length() const {
  return Read([](const char*, size_t length) { return length; });
}

size_t SharedText::RetiredCount() { return retiredCount.load(); }

}  // namespace ui
