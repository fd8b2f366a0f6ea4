// Scoped ownership of the Text and Bytes blocks that runtime operations return, so that
// "every result is freed right after use" holds by construction.
#pragma once

#include "runtime/memory.h"
#include "runtime/unique_resource.h"
#include "runtime/value.h"

namespace rt {

// A block of the runtime's heap, freed with the scope.
template <typename T>
using Owned = UniqueResource<T*, PointerResource<RuntimeFree>>;

// A Text that frees itself. c_str() never returns null: the empty text reads as "".
class OwnedText : public Owned<char> {
 public:
  using UniqueResource::UniqueResource;
  const char* c_str() const { return get() != nullptr ? get() : ""; }
  bool empty() const { return get() == nullptr || *get() == '\0'; }
};

using OwnedBytes = Owned<Bytes>;

}  // namespace rt
