#include <windows.h>

#include "runtime/memory.h"

namespace rt {

void* RuntimeAlloc(size_t size) {
  void* block = HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
  if (block == nullptr) ReportAllocationFailure(size);
  return block;
}

void RuntimeFree(void* block) {
  if (block == nullptr || IsInProgramImage(block)) return;
  HeapFree(GetProcessHeap(), 0, block);
}

bool IsInProgramImage(const void* p) {
  // The image spans SizeOfImage bytes from its base; literals live in its read-only section.
  static const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
  static const DWORD size = [] {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfImage;
  }();
  const auto* byte = static_cast<const unsigned char*>(p);
  return byte >= base && byte < base + size;
}

}  // namespace rt
