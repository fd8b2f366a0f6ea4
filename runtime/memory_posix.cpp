#include <cstdlib>

#include "runtime/memory.h"

// Bounds of the loaded executable, provided by the linker.
extern "C" const char __executable_start;
extern "C" const char _end;

namespace rt {

void* RuntimeAlloc(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) ReportAllocationFailure(size);
  return block;
}

void RuntimeFree(void* block) {
  if (block == nullptr || IsInProgramImage(block)) return;
  std::free(block);
}

bool IsInProgramImage(const void* p) {
  const char* byte = static_cast<const char*>(p);
  return byte >= &__executable_start && byte < &_end;
}

}  // namespace rt
