// The Wine prefix's trusted root certificates, for tests and the demo that sign programs or
// serve HTTPS with certificates of their own test root.
#pragma once

#include <string>

namespace driver {

// Adds the DER certificate in the file to the machine's trusted roots (the current user's
// "ROOT" store); true when it is there afterwards.
bool TrustRootCertificate(const std::string& derPath);

}  // namespace driver
