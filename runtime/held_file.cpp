#include "runtime/held_file.h"

#include <windows.h>

#include "runtime/command.h"
#include "runtime/executable_file.h"

namespace rt {

void HoldFile(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  // DELETE access lets the file be moved through this very handle, and write access lets it be
  // flushed (FlushFileBuffers wants it); nothing is written through it. Others may not delete or
  // rename it either: some systems move a handle's file by the name it was opened with, which
  // would then name another file.
  HANDLE file = CreateFileA(TextOf(ArgAt(argc, args, 0)), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Kernel handles carry their value in the low 32 bits, on 64-bit Windows too.
  if (KernelHandleResource::Holds(file)) SetInt(result, HandleToLong(file));
}

void LetGoOfFile(ArgRecord*, int32_t argc, const ArgRecord* args) {
  HANDLE file = HeldHandle(ArgAt(argc, args, 0));
  if (KernelHandleResource::Holds(file)) CloseHandle(file);
}

}  // namespace rt
