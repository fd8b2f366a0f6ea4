// The runtime's allocator: every Text and Bytes that an operation returns comes from here.
#pragma once

#include <cstddef>

namespace rt {

// Allocates from the process heap without zero fill; never returns null (an exhausted heap is
// a fatal runtime error).
void* RuntimeAlloc(size_t size);

// Returns a block to the heap. Null and pointers into the program's own image (its literals
// and other constant data) are accepted and left alone.
void RuntimeFree(void* block);

// Whether p lies inside the program's own loaded image rather than in the heap.
bool IsInProgramImage(const void* p);

// The fatal report for a failed allocation of size bytes; shared by the platform allocators.
[[noreturn]] void ReportAllocationFailure(size_t size);

}  // namespace rt
