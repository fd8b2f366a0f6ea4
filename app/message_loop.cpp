#include "app/lifecycle.h"
#include "app/runtime_state.h"
#include "ui/window.h"

namespace app {

void RunMessageLoop() {
  State().loopStarted = true;
  if (!ui::AnyFormWindowAlive()) return;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (ui::PreTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace app
