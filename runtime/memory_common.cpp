#include "runtime/memory.h"

#include <cstdio>

#include "runtime/fatal_error.h"

namespace rt {

[[noreturn]] void ReportAllocationFailure(size_t size) {
  char message[64];
  std::snprintf(message, sizeof message, "分配 %d 字节内存失败!", static_cast<int>(size));
  FatalRuntimeError(message, 0);
}

}  // namespace rt
