// Functions of system libraries that the program declares by library and name and binds on
// their first call.
#pragma once

namespace rt {

// Unloads every library that a binding loaded; part of the end of the program.
void UnloadExternalLibraries();

}  // namespace rt
