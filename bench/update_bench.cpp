// Figures of the real updater, measured from outside as the test driver sees it. Prints one
// "key value" line per figure.
//
//   update_bench throughput URL     click to "启动软件": ms, MB/s, the updater's CPU seconds
//   update_bench pair URL RUNS      RUNS pairs, alternating: the bare WinINet loop, then the
//                                   updater from the click to an enabled "启动软件", the old
//                                   application running in the run directory for both
//   update_bench memory URL         working set at 10 % and 100 % of the download, and its peak
//   update_bench startup            process start to the visible window, and to the "no update" box
//
// The run directory is made in the temporary directory and removed afterwards.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/download/bare_wininet.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "ui/properties.h"

namespace {

constexpr DWORD kDeadlineMs = 600000;

struct Run {
  driver::TempDirectory directory{"corvane-bench"};
  driver::Process application;
  driver::Process updater;
  HWND window = nullptr;

  // The old Corvane.exe running, as a user has it while the update is offered.
  bool StartApplication() {
    application = driver::Process::Start("\"" + (directory / "Corvane.exe") + "\"", directory.path());
    return driver::FindWindowByTitle("Corvane 1.0", application.id(), 60000) != nullptr;
  }

  void Prepare(const std::string& handOff) {
    const std::string bin = driver::ProgramDirectory();
    driver::CopyFileTo(bin + "\\CorvaneUpdater.exe", directory / "CorvaneUpdater.exe");
    driver::CopyFileTo(bin + "\\demo_app_old.exe", directory / "Corvane.exe");
    driver::WriteWholeFile(directory / "gx.ini", handOff);
  }
  bool Start(const std::string& handOff) {
    Prepare(handOff);
    return Launch();
  }
  bool Launch() {
    updater = driver::Process::Start("\"" + (directory / "CorvaneUpdater.exe") + "\"", directory.path());
    return updater.valid();
  }
  static std::string HandOff(const char* url) { return std::string("[gx]\r\ngx=1\r\nxz=") + url + "\r\n"; }
  // Starts the updater with an update of url announced and waits for its window.
  bool StartWaiting(const char* url) {
    if (Start(HandOff(url))) return WaitForWindow();
    std::puts("error no window");
    return false;
  }
  bool WaitForWindow() {
    window = driver::FindUpdaterWindow(updater.id(), 60000);
    if (window == nullptr) std::puts("error no window");
    return window != nullptr;
  }
  HWND Control(uint32_t id) const {
    const auto control = driver::FindControl(window, id);
    return control ? control->window : nullptr;
  }
  void Leave() {
    if (window != nullptr) driver::Click(Control(ui::超级按钮1));
    updater.WaitForExit(10000);
  }
};

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto seconds = [](const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double WorkingSetMiB(HANDLE process, bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
  return (peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / 1048576.0;
}

uint64_t FileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

int Throughput(const char* url) {
  Run run;
  if (!run.StartWaiting(url)) return 1;
  HWND button = run.Control(ui::按钮2);
  const DWORD start = GetTickCount();
  driver::Click(button);
  const bool installed = driver::WaitForText(button, "启动软件", kDeadlineMs);
  const DWORD ms = GetTickCount() - start;
  const double cpu = CpuSeconds(run.updater.handle());
  const uint64_t bytes = FileBytes(run.directory / "Corvane.exe");
  run.Leave();
  if (!installed) {
    std::puts("error not installed");
    return 1;
  }
  std::printf("ms %lu\nbytes %llu\nmbps %.2f\ncpu_seconds %.3f\n", static_cast<unsigned long>(ms),
              static_cast<unsigned long long>(bytes), bytes / 1048576.0 / (ms / 1000.0), cpu);
  return 0;
}

// Polls often, so that the moments are seen within a few milliseconds.
template <typename Condition>
bool WaitClosely(Condition&& condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kDeadlineMs) return false;
    Sleep(2);
  }
  return true;
}

bool ReadyToStart(HWND button) {
  return IsWindowEnabled(button) && driver::ReadText(button) == "启动软件";
}

// One pair: the bare loop, then the updater, with the same old application running. Prints
// "pair N bare_ms B updater_ms U last_byte_to_ready_ms L bare_close_ms C" (C: the time the bare
// loop's file took to close, which the file system spends on it, for the updater's file too).
bool Pair(const char* url, int number) {
  Run run;
  run.Prepare(Run::HandOff(url));
  if (!run.StartApplication()) return std::puts("error the application did not start"), false;
  bare::FetchOptions options;
  options.decode = true;
  options.keepBody = false;
  options.savePath = run.directory / "bare.tmp";
  const DWORD bareStart = GetTickCount();
  const bare::FetchResult bare = bare::FetchUrl(url, options);
  const DWORD bareMs = GetTickCount() - bareStart;
  DeleteFileA(options.savePath.c_str());
  if (!bare.opened || bare.readFailed) return std::puts("error the bare loop failed"), false;

  if (!run.Launch() || !run.WaitForWindow()) return false;
  HWND button = run.Control(ui::按钮2);
  const std::string download = run.directory / "更新文件.tmp";
  const DWORD start = GetTickCount();
  driver::Click(button);
  // The last byte is in the file: watched on the file, which asks nothing of the updater.
  const std::string installed = run.directory / "Corvane.exe";
  const bool full = WaitClosely(
      [&] { return FileBytes(download) >= bare.bytes || FileBytes(installed) == bare.bytes; });
  const DWORD lastByte = GetTickCount();
  const bool ready = full && WaitClosely([&] { return ReadyToStart(button); });
  const DWORD end = GetTickCount();
  run.Leave();
  if (!ready) return std::puts("error not installed"), false;
  std::printf("pair %d bare_ms %lu updater_ms %lu last_byte_to_ready_ms %lu bare_close_ms %lu\n", number,
              static_cast<unsigned long>(bareMs), static_cast<unsigned long>(end - start),
              static_cast<unsigned long>(end - lastByte), static_cast<unsigned long>(bare.closeMs));
  std::fflush(stdout);
  return true;
}

int Pairs(const char* url, int runs) {
  for (int number = 1; number <= runs; ++number) {
    if (!Pair(url, number)) return 1;
  }
  return 0;
}

int Memory(const char* url) {
  Run run;
  if (!run.StartWaiting(url)) return 1;
  HWND button = run.Control(ui::按钮2);
  HWND bar = run.Control(ui::进度条1);
  const double atStart = WorkingSetMiB(run.updater.handle(), false);
  driver::Click(button);
  // The working set at every tenth of the download: it must not grow with the bytes.
  double atTenth[10] = {};
  for (int tenth = 1; tenth <= 9; ++tenth) {
    driver::WaitUntil(kDeadlineMs, [&] { return driver::ReadProgressPosition(bar, 2000) >= tenth * 1000; });
    atTenth[tenth] = WorkingSetMiB(run.updater.handle(), false);
  }
  const bool installed = driver::WaitForText(button, "启动软件", kDeadlineMs);
  const double atEnd = WorkingSetMiB(run.updater.handle(), false);
  const double peak = WorkingSetMiB(run.updater.handle(), true);
  run.Leave();
  if (!installed) {
    std::puts("error not installed");
    return 1;
  }
  std::printf("ws_start_mib %.2f\nws_10_mib %.2f\nws_100_mib %.2f\nws_peak_mib %.2f\nws_tenths_mib", atStart,
              atTenth[1], atEnd, peak);
  for (int tenth = 1; tenth <= 9; ++tenth) std::printf(" %.2f", atTenth[tenth]);
  std::printf(" %.2f\n", atEnd);
  return 0;
}

int Baseline() {
  // The demo application: a Wine program with one plain window, for what Wine itself takes.
  driver::TempDirectory directory("corvane-bench");
  driver::CopyFileTo(driver::ProgramDirectory() + "\\demo_app_old.exe", directory / "Corvane.exe");
  driver::Process app = driver::Process::Start("\"" + (directory / "Corvane.exe") + "\"", directory.path());
  if (driver::FindWindowByTitle("Corvane 1.0", app.id(), 60000) == nullptr) return 1;
  std::printf("ws_plain_window_mib %.2f\n", WorkingSetMiB(app.handle(), false));
  app.Kill();
  return 0;
}

int Startup() {
  // An update announced: process start to the visible window.
  {
    Run run;
    const DWORD start = GetTickCount();
    const bool shown = run.StartWaiting("http://127.0.0.1:9/Corvane.exe");
    const DWORD ms = GetTickCount() - start;
    run.Leave();
    if (!shown) return 1;
    std::printf("window_ms %lu\n", static_cast<unsigned long>(ms));
  }
  // No update: process start to the message box.
  {
    Run run;
    const DWORD start = GetTickCount();
    run.Start("");
    const auto box = driver::WaitForMessageBox(run.updater.id(), 60000);
    const DWORD ms = GetTickCount() - start;
    if (!box) return 1;
    driver::PressOk(box->window);
    run.updater.WaitForExit(10000);
    std::printf("no_update_box_ms %lu\n", static_cast<unsigned long>(ms));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "throughput" && argc > 2) return Throughput(argv[2]);
  if (what == "memory" && argc > 2) return Memory(argv[2]);
  if (what == "pair" && argc > 3) return Pairs(argv[2], std::atoi(argv[3]));
  if (what == "startup") return Startup();
  if (what == "baseline") return Baseline();
  std::fputs("usage: update_bench throughput URL | pair URL RUNS | memory URL | startup\n", stderr);
  return 2;
}
