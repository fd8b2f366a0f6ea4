// The executable's headers and its resource directory read from any file: no read outside it,
// and a version resource found lies within the file and within 64 KiB.
#include <cstdlib>
#include <cstring>

#include "runtime/pe_image.h"
#include "runtime/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<rt::ExecutableLayout> layout = rt::ReadExecutableLayout(data, size);
  if (!layout) return 0;
  const auto read = [&](uint64_t offset, void* out, uint32_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(out, data + offset, count);
    return true;
  };
  const rt::VersionResourceLocation found = rt::FindVersionResource(*layout, read);
  if (found.kind != rt::VersionResourceLocation::Kind::Found) return 0;
  if (found.span.size == 0 || found.span.size > 64 * 1024) std::abort();
  if (found.span.offset + found.span.size <= size) rt::ParseVersionResource(data + found.span.offset, found.span.size);
  return 0;
}
