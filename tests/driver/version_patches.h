// Builds of the demo application with their version resource changed in place, for the tests
// of what the updater makes of an installed file's version data.
#pragma once

#include <string>

namespace driver {

// The executable's bytes with the version resource's root block stating a length past the
// resource: a resource that exists and cannot be read. Unchanged when it has none.
std::string WithVersionResourcePastItsEnd(std::string executable);

// The executable's bytes with the file version 65535.65535.65535.65535.
std::string WithHighestFileVersion(std::string executable);

}  // namespace driver
