// Reading a file that an operation's argument names, and the headers of an executable file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/pe_image.h"
#include "runtime/value.h"
#include "runtime/win_handle.h"

namespace rt {

// The file at path opened for reading, others may read it too; invalid when it cannot be.
ScopedHandle OpenForReading(const char* path);

// The file an operation's argument names: a Text is a path, opened here for reading; an Int is
// a file the caller holds open (HoldFile), read through the caller's handle, which stays the
// caller's. Reads go to explicit offsets, so that where an earlier reader left the handle does
// not matter.
class FileArgument {
 public:
  explicit FileArgument(const ArgRecord& arg);
  bool valid() const { return KernelHandleResource::Holds(handle_); }
  HANDLE get() const { return handle_; }
  // The file's full path, for the system functions that want one beside the handle.
  std::wstring WidePath() const;

 private:
  ScopedHandle owned_;
  HANDLE handle_ = nullptr;
  const char* path_ = nullptr;
};

// The file's handle that an Int argument carries (0 for none).
inline HANDLE HeldHandle(const ArgRecord& arg) { return LongToHandle(arg.AsInt()); }

// Reads up to size bytes at offset into out and tells how many came; false on a read error.
bool ReadAt(HANDLE file, uint64_t offset, void* out, DWORD size, DWORD& read);

// Reads the start of the open file and the layout its headers describe into layout (empty when
// the file is no executable). False when the file cannot be read.
bool ReadExecutableHeaders(HANDLE file, std::optional<ExecutableLayout>& layout);

}  // namespace rt
