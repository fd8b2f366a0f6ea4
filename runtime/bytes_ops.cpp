#include "runtime/bytes_ops.h"

#include <algorithm>
#include <cstring>

#include "runtime/command.h"
#include "runtime/memory.h"

namespace rt {

namespace {

Bytes* AllocateBytes(int32_t length) {
  auto* bytes = static_cast<Bytes*>(RuntimeAlloc(sizeof(Bytes) + static_cast<size_t>(length)));
  bytes->dimensions = 1;
  bytes->length = length;
  return bytes;
}

}  // namespace

Bytes* NewBytes(const void* data, int32_t length) {
  Bytes* bytes = AllocateBytes(length);
  std::memcpy(bytes->data(), data, static_cast<size_t>(length));
  return bytes;
}

void BlankBytes(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const int32_t length = ArgAt(argc, args, 0).AsInt();
  if (length <= 0) return;
  Bytes* bytes = AllocateBytes(length);
  std::memset(bytes->data(), 0, static_cast<size_t>(length));
  SetPointer(result, bytes);
}

void LeftBytes(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const Bytes* data = ArgAt(argc, args, 0).AsBytes();
  const int32_t wanted = ArgAt(argc, args, 1).AsInt();
  const int32_t count = std::min(data != nullptr ? data->length : 0, wanted);
  if (count <= 0) return;
  SetPointer(result, NewBytes(data->data(), count));
}

}  // namespace rt
