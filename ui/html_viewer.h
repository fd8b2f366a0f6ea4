// The key handling that the HtmlViewer's browser takes part in.
#pragma once

#include <windows.h>

namespace ui {

// A key message meant for a window inside an HtmlViewer goes to its browser first (its
// shortcuts); true when the browser used it.
bool TranslateBrowserKey(MSG& message);

}  // namespace ui
