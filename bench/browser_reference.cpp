// The memory reference for the updater: a program with nothing but a window of the updater's
// size that hosts the same web-browser control on the same page, in the same place. What the
// updater's working set has beyond this one is the updater's own share.
//
//   browser_reference [SECONDS]   runs its window for SECONDS (default 3), then prints
//                                 "ws_reference_mib <MiB>"
#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "ui/embedded_browser.h"
#include "ui/form.h"
#include "ui/properties.h"

namespace {

constexpr char kClass[] = "CorvaneBrowserReference";

double WorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize / 1048576.0;
}

// Runs the window's messages for ms milliseconds.
void RunFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 3;
  OleInitialize(nullptr);
  const ui::FormDef& form = ui::UpdaterFormDef();
  const ui::ControlDef* viewer = ui::FindControlDef(form, ui::超文本浏览框1);
  const ui::ControlDef* panel = ui::FindControlDef(form, viewer->container);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClass;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kClass, "browser reference", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                500, 430, nullptr, nullptr, windowClass.hInstance, nullptr);
  HWND host = CreateWindowExA(0, kClass, nullptr, WS_CHILD | WS_VISIBLE, panel->left + viewer->left,
                              panel->top + viewer->top, viewer->width, viewer->height, window, nullptr,
                              windowClass.hInstance, nullptr);
  {
    const auto browser = ui::EmbeddedBrowser::Create(host, viewer->text);
    if (browser == nullptr) return 1;
    RunFor(seconds * 1000);
    std::printf("ws_reference_mib %.2f\n", WorkingSetMiB());
  }
  DestroyWindow(window);
  OleUninitialize();
  return 0;
}
