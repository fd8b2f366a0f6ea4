// One value of an INI-style configuration file.
#pragma once

#include "runtime/value.h"

namespace rt {

// (file, section, key, default = none) -> Text (null when empty). Leading bytes up to and
// including space are skipped from file, section and key; a value is cut to 10239 bytes.
void ReadConfigItem(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
