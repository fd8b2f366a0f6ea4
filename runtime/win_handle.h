// Scoped ownership of a kernel handle.
#pragma once

#include <windows.h>

#include "runtime/unique_resource.h"

namespace rt {

// A kernel handle; null and INVALID_HANDLE_VALUE hold nothing.
struct KernelHandleResource {
  static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE handle) { CloseHandle(handle); }
};

using ScopedHandle = UniqueResource<HANDLE, KernelHandleResource>;

}  // namespace rt
