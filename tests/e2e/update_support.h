// A run directory set up for a whole update: the old application installed (and maybe
// running), a hand-off file that announces the new one, and a server that delivers it.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/servers/fault_server.h"

namespace e2e {

// The two builds of the demo application.
const std::string& OldApplication();
const std::string& NewApplication();

// What the server's answer for the new application looks like.
struct Delivery {
  uint32_t dripDelayMs = 0;  // > 0: 10240 bytes per pause of this length
  int status = 200;          // anything else: an error page
  bool empty = false;        // a 200 answer without a body
  bool stall = false;        // stops sending after the first 20480 bytes, for ever
  std::optional<testsrv::Response> answer;  // this answer instead of any of the above
  std::string url;                          // this address instead of the server's
  testsrv::FaultServer::Handler script;     // answers each request, instead of all of the above
};

class UpdateRun {
 public:
  explicit UpdateRun(const Delivery& delivery = {}, const std::string& directoryPrefix = "corvane-update",
                     const std::string& base = "");
  ~UpdateRun();

  RunDirectory& run() { return run_; }
  // The test's own server; there is none when the delivery names an address.
  testsrv::FaultServer& server() { return *server_; }

  // Writes gx.ini (with the SHA-256 line when given) and zqd.ini, installs the old
  // application as Corvane.exe.
  void Prepare(const std::string& sha256 = "");
  // Starts the installed Corvane.exe and waits for its window, which shows `version`; the
  // process is ended by the destructor if still there.
  driver::Process& StartApplication(const std::string& version = "1.0");
  // Starts the updater and waits for its window; from `view` when given, another path to the
  // run directory.
  HWND StartUpdater(const std::string& view = "");
  // Clicks 按钮2.
  void ClickButton();
  // Waits until the update is ready to launch (button "启动软件" enabled).
  bool WaitUntilInstalled(DWORD timeoutMs = kDeadlineMs);
  // Waits until the update is installed or the updater shows a message, which is answered:
  // the message's text, or "" when it installed, or "<nothing>" at the deadline.
  std::string WaitForOutcome(DWORD timeoutMs = kDeadlineMs);

  HWND window() const { return window_; }
  HWND Control(uint32_t id) const;
  std::string Text(uint32_t id) const;
  driver::Process& updater() { return updater_; }

  // Corvane.exe is exactly the old or exactly the new build ("old", "new", or what it is).
  std::string ApplicationState() const;

 private:
  RunDirectory run_;
  std::optional<testsrv::FaultServer> server_;
  std::string url_;
  driver::Process updater_;
  std::deque<driver::Process> applications_;  // stays where it is while more are started
  HWND window_ = nullptr;
};

}  // namespace e2e
