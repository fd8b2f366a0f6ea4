// The headers of an executable file opened for reading.
#pragma once

#include <windows.h>

#include <optional>

#include "runtime/pe_image.h"
#include "runtime/win_handle.h"

namespace rt {

// The file at path opened for reading, others may read it too; invalid when it cannot be.
ScopedHandle OpenForReading(const char* path);

// Reads the start of the open file and the layout its headers describe into layout (empty when
// the file is no executable). False when the file cannot be read.
bool ReadExecutableHeaders(HANDLE file, std::optional<ExecutableLayout>& layout);

}  // namespace rt
