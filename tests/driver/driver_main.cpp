// corvane_driver: the test driver on the command line, for the demo and for scripts.
//
//   corvane_driver find     [--pid P] [--timeout MS]   window handle and process id of the updater
//   corvane_driver list     [--pid P] [--timeout MS]   one line per control:
//                                                      id class left top width height visible enabled text
//   corvane_driver text     ID [--pid P]               the control's text
//   corvane_driver position ID [--pid P]               a progress bar's position
//   corvane_driver wait-text ID TEXT [--pid P] [--timeout MS]
//   corvane_driver click    ID [--pid P]               posted BM_CLICK
//   corvane_driver escape   [--pid P]                  Esc in the window
//   corvane_driver close    [--pid P]                  WM_CLOSE from outside
//   corvane_driver drag     X1 Y1 X2 Y2 [--pid P]      real mouse drag, in the window's client coordinates
//   corvane_driver msgbox   --pid P [--timeout MS] [--ok]   caption line, then the text; --ok presses OK
//   corvane_driver wait     --pid P [--timeout MS]     the exit code once the process has ended
//   corvane_driver trust-root FILE                     adds a DER certificate to the trusted roots
//
// IDs are the controls' ids in hexadecimal (for example 1601013F). Output is ANSI text.
// Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/driver/driver.h"
#include "tests/driver/trusted_roots.h"

namespace {

struct Options {
  std::vector<std::string> words;
  DWORD processId = 0;
  DWORD timeoutMs = 10000;
  bool pressOk = false;
};

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--pid" && i + 1 < argc) {
      options.processId = std::strtoul(argv[++i], nullptr, 10);
    } else if (word == "--timeout" && i + 1 < argc) {
      options.timeoutMs = std::strtoul(argv[++i], nullptr, 10);
    } else if (word == "--ok") {
      options.pressOk = true;
    } else {
      options.words.push_back(word);
    }
  }
  return options;
}

int Usage() {
  std::fputs("usage: corvane_driver find|list|text|position|wait-text|click|escape|close|drag|msgbox|wait|trust-root ...\n",
             stderr);
  return 2;
}

uint32_t ControlIdOf(const std::string& word) { return static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 16)); }

int Fail(const char* what) {
  std::fprintf(stderr, "corvane_driver: %s\n", what);
  return 1;
}

int RunOnWindow(const Options& options, HWND window) {
  const std::string& command = options.words[0];
  const size_t count = options.words.size();
  if (command == "find") {
    std::printf("%p %lu\n", static_cast<void*>(window), static_cast<unsigned long>(driver::ProcessOfWindow(window)));
    return 0;
  }
  if (command == "list") {
    for (const driver::ControlInfo& control : driver::ListControls(window)) {
      std::printf("%08X %s %ld %ld %ld %ld %d %d %s\n", control.id, control.className.c_str(), control.rect.left,
                  control.rect.top, control.rect.right - control.rect.left, control.rect.bottom - control.rect.top,
                  control.visible ? 1 : 0, control.enabled ? 1 : 0, control.text.c_str());
    }
    return 0;
  }
  if (command == "escape") return driver::PressEscape(window) ? 0 : Fail("cannot press Esc");
  if (command == "close") return driver::RequestClose(window) ? 0 : Fail("cannot send WM_CLOSE");
  if (command == "drag" && count == 5) {
    const RECT client = driver::ClientRectOnScreen(window);
    auto at = [&](size_t i) { return std::atol(options.words[i].c_str()); };
    const POINT from{client.left + at(1), client.top + at(2)};
    const POINT to{client.left + at(3), client.top + at(4)};
    return driver::MouseDrag(from, to) ? 0 : Fail("cannot send mouse input");
  }
  if (count < 2) return Usage();
  const auto control = driver::FindControl(window, ControlIdOf(options.words[1]));
  if (!control) return Fail("no such control");
  if (command == "text") {
    std::printf("%s\n", control->text.c_str());
    return 0;
  }
  if (command == "position") {
    const int position = driver::ReadProgressPosition(control->window);
    if (position < 0) return Fail("the control does not answer PBM_GETPOS");
    std::printf("%d\n", position);
    return 0;
  }
  if (command == "wait-text" && count == 3)
    return driver::WaitForText(control->window, options.words[2], options.timeoutMs) ? 0 : Fail("timed out");
  if (command == "click") return driver::Click(control->window) ? 0 : Fail("cannot click");
  return Usage();
}

int RunOnProcess(const Options& options) {
  const std::string& command = options.words[0];
  if (options.processId == 0) return Usage();
  if (command == "wait") {
    const auto code = driver::WaitForProcessExit(options.processId, options.timeoutMs);
    if (!code) return Fail("the process is still running, or there is no such process (any more)");
    std::printf("%ld\n", static_cast<long>(*code));
    return 0;
  }
  const auto box = driver::WaitForMessageBox(options.processId, options.timeoutMs);
  if (!box) return Fail("no message box");
  std::printf("%s\n%s\n", box->caption.c_str(), box->text.c_str());
  if (options.pressOk && !driver::PressOk(box->window)) return Fail("cannot press OK");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  if (options.words.empty()) return Usage();
  const std::string& command = options.words[0];
  if (command == "trust-root" && options.words.size() == 2)
    return driver::TrustRootCertificate(options.words[1]) ? 0 : Fail("cannot add the certificate to the trusted roots");
  if (command == "wait" || command == "msgbox") return RunOnProcess(options);
  HWND window = driver::FindUpdaterWindow(options.processId, options.timeoutMs);
  if (window == nullptr) return Fail("the updater's window is not there");
  return RunOnWindow(options, window);
}
