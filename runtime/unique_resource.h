// Sole ownership of one resource (a heap block, a kernel handle, a GDI object): released with
// the scope or when replaced, moved but never copied. Traits says how to release it and which
// values hold nothing.
#pragma once

#include <utility>

namespace rt {

template <typename Handle, typename Traits>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  Handle get() const { return handle_; }
  bool valid() const { return Traits::Holds(handle_); }
  explicit operator bool() const { return valid(); }
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    const Handle previous = std::exchange(handle_, handle);
    if (Traits::Holds(previous)) Traits::Release(previous);
  }

 private:
  Handle handle_{};
};

// The traits of a resource that is a pointer, null when there is none.
template <void (*ReleaseFn)(void*)>
struct PointerResource {
  static bool Holds(const void* handle) { return handle != nullptr; }
  static void Release(void* handle) { ReleaseFn(handle); }
};

}  // namespace rt
