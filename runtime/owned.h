// Scoped ownership of the Text and Bytes blocks that runtime operations return, so that
// "every result is freed right after use" holds by construction.
#pragma once

#include <utility>

#include "runtime/memory.h"
#include "runtime/value.h"

namespace rt {

template <typename T>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T* block) : block_(block) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : block_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Owned() { RuntimeFree(block_); }

  T* get() const { return block_; }
  T* release() { return std::exchange(block_, nullptr); }
  void reset(T* block = nullptr) { RuntimeFree(std::exchange(block_, block)); }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  T* block_ = nullptr;
};

// A Text that frees itself. c_str() never returns null: the empty text reads as "".
class OwnedText : public Owned<char> {
 public:
  using Owned<char>::Owned;
  const char* c_str() const { return get() != nullptr ? get() : ""; }
  bool empty() const { return get() == nullptr || *get() == '\0'; }
};

using OwnedBytes = Owned<Bytes>;

}  // namespace rt
