// This program's own import address slots, through which its code (the product's code linked
// into a test program included) calls the system: a test points one at a stand-in.
#pragma once

#include <windows.h>

namespace driver {

// The slot through which this program calls `function`; null when it imports no such function.
FARPROC* ImportSlot(const char* function);

// Writes the slot, which the loader has made read-only.
void StoreInSlot(FARPROC* slot, FARPROC value);

// Points the slot of `function` at `target`; what it held before (null when there is none).
void* ReplaceImport(const char* function, void* target);

}  // namespace driver
