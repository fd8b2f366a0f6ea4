// Asking another program to close, as the user would with its windows' "×".
#pragma once

#include <windows.h>

namespace rt {

// Posts WM_CLOSE to every top-level window (shown or hidden) of the process processId; the
// number of windows that took the request (0: it has none, or none could be asked).
int AskWindowsToClose(DWORD processId);

}  // namespace rt
