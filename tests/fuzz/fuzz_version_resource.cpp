// The version resource reader on any bytes: no read outside them (the sanitizers watch), and
// a malformed resource says nothing of a version or a product.
#include <cstdlib>

#include "runtime/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const rt::VersionResource read = rt::ParseVersionResource(data, size);
  if (read.state != rt::VersionResource::State::WellFormed && (read.fileVersion || read.productName)) std::abort();
  if (read.productName && read.productName->empty()) std::abort();
  return 0;
}
