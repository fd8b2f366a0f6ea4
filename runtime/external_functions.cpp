#include "runtime/external_functions.h"

namespace rt {

// No external function is bound yet, so there is nothing to unload.
void UnloadExternalLibraries() {}

}  // namespace rt
