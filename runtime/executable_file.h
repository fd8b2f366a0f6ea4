// The headers of an executable file opened for reading.
#pragma once

#include <windows.h>

#include <optional>

#include "runtime/pe_image.h"

namespace rt {

// Reads the start of the open file and the layout its headers describe into layout (empty when
// the file is no executable). False when the file cannot be read.
bool ReadExecutableHeaders(HANDLE file, std::optional<ExecutableLayout>& layout);

}  // namespace rt
