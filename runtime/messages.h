// The modal message box.
#pragma once

#include "runtime/value.h"

namespace rt {

// (message: any tag, style = 0, caption = "信息：", owner) -> Int: the button pressed, IDOK 0,
// IDCANCEL 1, IDABORT 2, IDRETRY 3, IDIGNORE 4, IDYES 5, IDNO 6. The box is task-modal unless
// the style asks for a system-modal one; an owner is taken only from a fourth argument. The
// texts are shown as GBK whatever the system's code page.
void ShowMessage(ArgRecord* result, int32_t argc, const ArgRecord* args);

// The text ShowMessage shows for a value, written into out.
void MessageTextOf(const ArgRecord& message, char (&out)[100]);

}  // namespace rt
