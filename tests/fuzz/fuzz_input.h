// Reads typed values off the front of a fuzzer's input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T value{};
    const size_t count = size_ < sizeof value ? size_ : sizeof value;
    std::memcpy(&value, data_, count);
    data_ += count;
    size_ -= count;
    return value;
  }

  // The rest of the input as text, cut at its first NUL.
  std::string Rest() {
    std::string text(reinterpret_cast<const char*>(data_), size_);
    data_ += size_;
    size_ = 0;
    return text.substr(0, text.find('\0'));
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace fuzz
