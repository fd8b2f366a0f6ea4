#include "tests/e2e/update_support.h"

#include "ui/properties.h"

namespace e2e {

namespace {

std::string ReadProgram(const char* name) {
  return driver::ReadWholeFile(driver::ProgramDirectory() + "\\" + name).value_or("");
}

testsrv::Response Answer(const Delivery& delivery) {
  if (delivery.answer) return *delivery.answer;
  if (delivery.status != 200) return testsrv::Status(delivery.status, "Error", "<html>no such file</html>");
  testsrv::Response answer = testsrv::Ok(delivery.empty ? std::string() : NewApplication());
  if (delivery.dripDelayMs > 0) {
    answer.dripPiece = 10240;
    answer.dripDelayMs = delivery.dripDelayMs;
  }
  if (delivery.stall) {
    answer.ending = testsrv::Ending::Stall;
    answer.endAfter = 20480;
  }
  return answer;
}

}  // namespace

const std::string& OldApplication() {
  static const std::string bytes = ReadProgram("demo_app_old.exe");
  return bytes;
}

const std::string& NewApplication() {
  static const std::string bytes = ReadProgram("demo_app_new.exe");
  return bytes;
}

UpdateRun::UpdateRun(const Delivery& delivery, const std::string& directoryPrefix, const std::string& base)
    : run_(directoryPrefix, base), url_(delivery.url) {
  if (!url_.empty()) return;
  if (delivery.script) {
    server_.emplace(delivery.script);
  } else {
    server_.emplace(Answer(delivery));
  }
}

UpdateRun::~UpdateRun() {
  updater_.Kill();
  for (driver::Process& application : applications_) application.Kill();
}

void UpdateRun::Prepare(const std::string& sha256) {
  const std::string url = url_.empty() ? server_->Url("/Corvane.exe") : url_;
  std::string handOff = "[gx]\r\ngx=1\r\nxz=" + url + "\r\n";
  if (!sha256.empty()) handOff += "sha256=" + sha256 + "\r\n";
  run_.Write("gx.ini", handOff);
  run_.Write("zqd.ini", "[Soft_Config]\r\nbanben=V1.0\r\n");
  run_.Write("Corvane.exe", OldApplication());
  run_.InstallUpdater();
}

driver::Process& UpdateRun::StartApplication(const std::string& version) {
  applications_.push_back(run_.Start("Corvane.exe"));
  driver::FindWindowByTitle(("Corvane " + version).c_str(), applications_.back().id(), kDeadlineMs);
  return applications_.back();
}

HWND UpdateRun::StartUpdater(const std::string& view) {
  updater_ = view.empty() ? run_.Start("CorvaneUpdater.exe")
                          : driver::Process::Start("\"" + view + "\\CorvaneUpdater.exe\"", view);
  window_ = driver::FindUpdaterWindow(updater_.id(), kDeadlineMs);
  return window_;
}

HWND UpdateRun::Control(uint32_t id) const {
  const auto control = driver::FindControl(window_, id);
  return control ? control->window : nullptr;
}

std::string UpdateRun::Text(uint32_t id) const { return driver::ReadText(Control(id)); }

void UpdateRun::ClickButton() { driver::Click(Control(ui::按钮2)); }

bool UpdateRun::WaitUntilInstalled(DWORD timeoutMs) {
  HWND button = Control(ui::按钮2);
  return driver::WaitForText(button, "启动软件", timeoutMs) &&
         driver::WaitUntil(timeoutMs, [&] { return IsWindowEnabled(button) != 0; });
}

std::string UpdateRun::WaitForOutcome(DWORD timeoutMs) {
  HWND button = Control(ui::按钮2);
  std::string outcome = "<nothing>";
  driver::WaitUntil(timeoutMs, [&] {
    if (const auto box = driver::WaitForMessageBox(updater_.id(), 0)) {
      outcome = box->text;
      driver::PressOk(box->window);
      return true;
    }
    if (driver::ReadText(button) == "启动软件") {
      outcome = "";
      return true;
    }
    return false;
  });
  return outcome;
}

std::string UpdateRun::ApplicationState() const {
  const std::optional<std::string> bytes = run_.Read("Corvane.exe");
  if (!bytes) return "missing";
  if (*bytes == OldApplication()) return "old";
  if (*bytes == NewApplication()) return "new";
  return "other (" + std::to_string(bytes->size()) + " bytes)";
}

}  // namespace e2e
