#include "tests/driver/version_patches.h"

namespace driver {

namespace {

// The root block's key, UTF-16 "VS_VERSION_INFO" and its NUL; the block starts 6 bytes before.
const std::string kRootKey("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0", 32);
const std::string kFixedInfoSignature("\xBD\x04\xEF\xFE", 4);

}  // namespace

std::string WithVersionResourcePastItsEnd(std::string executable) {
  const size_t key = executable.find(kRootKey);
  if (key != std::string::npos && key >= 6) executable.replace(key - 6, 2, "\xFF\xFF", 2);
  return executable;
}

std::string WithHighestFileVersion(std::string executable) {
  const size_t key = executable.find(kRootKey);
  const size_t fixed = key == std::string::npos ? key : executable.find(kFixedInfoSignature, key);
  if (fixed != std::string::npos) executable.replace(fixed + 8, 8, std::string(8, '\xFF'));
  return executable;
}

}  // namespace driver
