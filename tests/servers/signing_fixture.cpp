#include "tests/servers/signing_fixture.h"

#include <cstdlib>

#include "tests/driver/trusted_roots.h"
#include "tests/servers/nginx_fixture.h"

namespace testsrv {

std::string SigningFile(const std::string& name) {
  const char* dir = std::getenv("CORVANE_SIGNING_DIR");
  return dir != nullptr && *dir != '\0' ? WindowsPathOf(dir) + "\\" + name : std::string();
}

bool TrustSigningRoot() {
  const std::string root = SigningFile("root.der");
  return !root.empty() && driver::TrustRootCertificate(root);
}

}  // namespace testsrv
