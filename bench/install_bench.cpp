// What the updater does after the last byte, step by step, in this process with the real
// functions the worker calls: holding the download, its checks (the signature check also on
// its own), stopping the running application (and the look that finds none left), and moving
// the download into place. Prints one "key value" line per figure, in milliseconds.
//
//   install_bench INSTALLED DOWNLOAD [RUNS]   INSTALLED runs as Corvane.exe of a fresh run
//                                             directory, DOWNLOAD is its 更新文件.tmp
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/processes.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "updater/install.h"
#include "updater/run_directory_files.h"

namespace {

constexpr int32_t kEndWaitMs = 3000;

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The milliseconds that step takes.
template <typename Step>
double Timed(Step&& step) {
  const double start = NowMs();
  step();
  return NowMs() - start;
}

bool RunOnce(const std::string& installed, const std::string& download) {
  driver::TempDirectory directory("corvane-bench");
  const std::string executable = directory / "Corvane.exe";
  const std::string temporary = directory.path() + updater::kTemporaryFile;
  if (!driver::CopyFileTo(installed, executable) || !driver::CopyFileTo(download, temporary)) return false;
  driver::Process application = driver::Process::Start("\"" + executable + "\"", directory.path());
  if (driver::FindWindowByTitle("Corvane 1.0", application.id(), 60000) == nullptr) {
    std::printf("error the application did not start (started %d, %lu)\n", application.valid(), GetLastError());
    return false;
  }
  rt::HeldFile held;
  bool acceptable = false, signedAlike = false;
  int32_t stopped = -1, left = -1, tries = 0;
  const double holdMs = Timed([&] { held = rt::HeldFile(rt::CallInt(rt::HoldFile, rt::TextArg(temporary.c_str()))); });
  const double checksMs =
      Timed([&] { acceptable = updater::DownloadIsAcceptable(held, temporary.c_str(), executable.c_str()); });
  const double signatureMs =
      Timed([&] { signedAlike = updater::SignedByInstalledPublisher(rt::Int(held.get()), executable.c_str()); });
  const double stopMs =
      Timed([&] { stopped = rt::CallInt(rt::StopProcessesOf, rt::TextArg(executable.c_str()), rt::Int(kEndWaitMs)); });
  const double confirmMs =
      Timed([&] { left = rt::CallInt(rt::StopProcessesOf, rt::TextArg(executable.c_str()), rt::Int(kEndWaitMs)); });
  const double replaceMs = Timed([&] {
    while (tries < 20 && !rt::CallBool(rt::ReplaceFileWith, rt::Int(held.get()), rt::TextArg(executable.c_str()))) {
      ++tries;
      Sleep(100);
    }
  });
  if (!acceptable || !signedAlike || stopped != 1 || left != 0 || tries == 20) {
    std::printf("error acceptable %d signed %d stopped %d left %d failed_tries %d\n", acceptable, signedAlike, stopped,
                left, tries);
    return false;
  }
  std::printf("hold_ms %.2f checks_ms %.2f signature_ms %.2f stop_ms %.2f confirm_ms %.2f replace_ms %.2f "
              "failed_replace_tries %d\n",
              holdMs, checksMs, signatureMs, stopMs, confirmMs, replaceMs, tries);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: install_bench INSTALLED DOWNLOAD [RUNS]\n", stderr);
    return 2;
  }
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  for (int run = 0; run < runs; ++run) {
    if (!RunOnce(argv[1], argv[2])) return 1;
    std::fflush(stdout);
  }
  return 0;
}
