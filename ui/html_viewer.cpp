// HtmlViewer: the window that hosts the embedded browser showing the update-log page.
#include "ui/control_base.h"
#include "ui/embedded_browser.h"
#include "ui/html_viewer.h"

namespace ui {

namespace {

EmbeddedBrowser* BrowserOf(HWND viewer) {
  return reinterpret_cast<EmbeddedBrowser*>(GetWindowLongPtrA(viewer, GWLP_USERDATA));
}

}  // namespace

// What shows before the page (and when there is no browser at all).
void PaintHtmlViewer(HWND, HDC dc, const RECT& client, const ControlState&) {
  FillSolid(dc, client, RGB(255, 255, 255));
}

// The browser lives as long as the window and takes the window's size.
bool HandleHtmlViewerMessage(HWND window, ControlState& state, UINT message, WPARAM, LPARAM lParam,
                             LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE: {
      // The window owns its browser; it is released with the window.
      std::unique_ptr<EmbeddedBrowser> browser = EmbeddedBrowser::Create(window, state.def->text);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(browser.release()));
      return true;
    }
    case WM_SIZE:
      if (EmbeddedBrowser* browser = BrowserOf(window)) browser->Resize(LOWORD(lParam), HIWORD(lParam));
      return true;
    case WM_DESTROY: {
      const std::unique_ptr<EmbeddedBrowser> browser(BrowserOf(window));  // released here
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return true;
    }
    default:
      return false;
  }
}

bool TranslateBrowserKey(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  for (HWND window = message.hwnd; window != nullptr; window = GetParent(window)) {
    const ControlState* state = StateOf(window);
    if (state != nullptr && state->kind == ControlKind::HtmlViewer) {
      EmbeddedBrowser* browser = BrowserOf(window);
      return browser != nullptr && browser->TranslateAccelerator(message);
    }
  }
  return false;
}

}  // namespace ui
