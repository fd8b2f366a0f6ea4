// A control's stored text, written from any thread and read from any thread without a lock.
//
// A write publishes a new immutable copy with one atomic exchange; nobody ever waits for
// anybody, so a writer or reader stopped with TerminateThread halfway leaves nothing held (at
// worst one copy is never freed). A replaced copy is freed once no reader is inside Read: readers
// announce themselves on one program-wide counter, and copies retired while a reader was
// inside wait on a lock-free list until the counter is seen at zero.
#pragma once

#include <atomic>
#include <cstddef>

namespace ui {

class SharedText {
 public:
  explicit SharedText(const char* initial = "");
  ~SharedText();
  SharedText(const SharedText&) = delete;
  SharedText& operator=(const SharedText&) = delete;

  // Replaces the text (null counts as empty); false when it was already equal, and then
  // nothing is allocated.
  bool Store(const char* text);

  // Calls visit(const char* text, size_t length) with the current text, kept alive during the call.
  template <typename Visit>
  auto Read(Visit&& visit) const {
    ReaderScope scope;
    const Block* block = current_.load();
    return visit(static_cast<const char*>(block->text), block->length);
  }

  // A new Text with a copy of the current text, owned by the caller; null when empty.
  char* Copy() const;

  // Copies at most capacity - 1 bytes and a NUL into out; returns the bytes copied.
  size_t CopyTo(char* out, size_t capacity) const;

  size_t Length() const;

  // Blocks retired but not yet freed, program-wide (for tests).
  static size_t RetiredCount();

 private:
  struct Block {
    Block* nextRetired;
    size_t length;
    char text[1];
  };

  class ReaderScope {
   public:
    ReaderScope();
    ~ReaderScope();
    ReaderScope(const ReaderScope&) = delete;
    ReaderScope& operator=(const ReaderScope&) = delete;
  };

  static Block* MakeBlock(const char* text, size_t length);
  static void Retire(Block* block);
  static void FreeRetiredIfQuiet();

  std::atomic<Block*> current_;
};

}  // namespace ui
