// Who signed an executable, as the system's code-signing checks see it.
#pragma once

#include "runtime/value.h"

namespace rt {

// (path) -> Text: the whole subject of the certificate that signed the file, in X.500 form
// ("CN=..." and "O=..." among its parts), null unless the file carries a valid signature whose
// certificate chain ends in a root that the machine trusts. Never looks anything up on the
// network.
void CodeSigner(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
