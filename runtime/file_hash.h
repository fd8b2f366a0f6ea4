// The SHA-256 of a file, through the system's cryptography provider.
#pragma once

#include "runtime/value.h"

namespace rt {

// (file) -> Text: the SHA-256 of the file (its path, or a file held open) as 64 lowercase hex
// digits, null when it cannot be read.
void FileSha256(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
