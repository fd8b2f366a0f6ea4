// The system's web-browser control, hosted in place inside one of our windows by a small
// hand-written OLE container.
#pragma once

#include <windows.h>

#include <memory>

struct IOleObject;
struct IWebBrowser2;

namespace ui {

class BrowserSite;

class EmbeddedBrowser {
 public:
  // Creates the browser inside `host`, filling its client area; offline mode off, silent mode
  // on, text zoom at the middle step, then one navigation to `address` (when not empty). Null
  // when the platform has no browser control to offer.
  static std::unique_ptr<EmbeddedBrowser> Create(HWND host, const char* address);
  ~EmbeddedBrowser();
  EmbeddedBrowser(const EmbeddedBrowser&) = delete;
  EmbeddedBrowser& operator=(const EmbeddedBrowser&) = delete;

  // Follows the host's new client size.
  void Resize(int width, int height);

  // Gives the active browser the first look at a key message; true when it used it.
  bool TranslateAccelerator(MSG& message);

 private:
  EmbeddedBrowser() = default;

  BrowserSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

}  // namespace ui
