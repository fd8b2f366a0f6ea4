// The Windows tests' view of the code-signing material that the CTest fixture "signing" makes
// (tests/servers/signing-fixture). A test declared with corvane_uses_signing(<test>) in CMake
// finds the fixture's directory in CORVANE_SIGNING_DIR.
#pragma once

#include <string>

namespace testsrv {

// The Windows path of a file the fixture made, for example SigningFile("new-signed.exe").
std::string SigningFile(const std::string& name);

// Makes the fixture's test root a trusted root of this Wine prefix; false when the fixture's
// directory is unknown or the root cannot be added.
bool TrustSigningRoot();

}  // namespace testsrv
