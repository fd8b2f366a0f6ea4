#include "runtime/args.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/text_ops.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/http_download.h"
#include "updater/install.h"
#include "updater/raised_install.h"
#include "updater/report_progress.h"
#include "updater/run_directory_files.h"
#include "updater/window_access.h"
#include "updater/worker_phase.h"

namespace updater {

namespace {

// A broken download is continued after each of these waits, then given up.
constexpr int32_t kResumeWaitsMs[] = {1000, 2000, 4000};
constexpr int32_t kResumes = sizeof kResumeWaitsMs / sizeof kResumeWaitsMs[0];

// What the last download left to continue. Only the worker uses it, and one worker runs at a
// time, so a later click continues where an earlier worker's download broke off.
DownloadContinuation g_continuation;

// The download, tried again where it breaks off up to three times: continued from the bytes the
// file holds where they can be, else fetched whole. A click after a download that broke off
// every time goes on the same way.
int32_t FetchWithResumes(const char* temporaryPath) {
  for (int32_t retry = 0;; ++retry) {
    g_continuation.anotherTryFollows = retry < kResumes;
    const bool continues = g_continuation.brokeOff && g_continuation.continuable;
    const int32_t held = continues ? rt::CallInt(rt::FileSize, rt::TextArg(temporaryPath)) : 0;
    const bool resume = held > 0;  // else nothing is left to continue: the file is fetched whole
    const int32_t result =
        HttpDownload(DownloadUrl.c_str(), temporaryPath, ReportProgress, resume ? held : 0, resume, &g_continuation);
    if (result == 0 || !g_continuation.brokeOff || retry == kResumes) return result;
    rt::Call(rt::Delay, rt::Int(kResumeWaitsMs[retry]));
  }
}

// The new executable in the temporary file: the download an earlier try left there, when it
// waits and is still there, else fetched. 0 when it is there, -1 after a failure that the
// download has shown.
int32_t FetchUnlessWaiting(const char* temporaryPath, bool downloadWaits) {
  if (downloadWaits && rt::CallInt(rt::FileSize, rt::TextArg(temporaryPath)) > 0) return 0;
  return FetchWithResumes(temporaryPath);
}

void OfferToStartAgain() {
  SetButtonCaption("开始更新");
  SetButtonDisabled(false);
}

// After a download or its checks failed, and the user was told, the button offers another try,
// unless the user is leaving.
void OfferAnotherDownload() {
  if (EndFailedDownload()) OfferToStartAgain();
}

// The user is told why nothing was installed, and the button then offers to try again. A file
// that the raised install's own check refused is fetched anew.
void OfferAnotherTry(InstallResult result, const char* refusal) {
  if (result == InstallResult::Refused) {
    g_continuation = {};
    Tell(refusal);
  } else {
    TellNotInstalled(result);
  }
  OfferToStartAgain();
}

// The raised run copies the download, still held here so that nobody changes it after its
// checks, and checks and installs its copy; the download is not needed once that is in place.
InstallResult InstallRaised(rt::HeldFile& download, const char* downloadPath, const char* executablePath,
                            const char** refusal) {
  const InstallResult result = InstallWithRaisedRights(downloadPath, executablePath, refusal);
  download.reset();
  if (result == InstallResult::Installed || result == InstallResult::Refused) {
    rt::Call(rt::RemoveFile, rt::TextArg(downloadPath));
  }
  return result;
}

}  // namespace

uint32_t __stdcall WorkerThreadEntry(void* downloadWaits) {
  UpdateWorker(downloadWaits != nullptr);
  return 0;
}

void UpdateWorker(bool downloadWaits) {
  // A folder this user cannot write gets its download from the user's temporary folder, by a
  // raised install; found by trying, since rights are not told by a path.
  const bool raised = RunDirectoryNeedsRaisedRights(InstallDir.get());
  rt::OwnedText temporaryPath = raised ? DownloadPathOutside() : rt::OwnedText(rt::ConcatTexts(2, InstallDir.get(), kTemporaryFile));
  rt::OwnedText executablePath = ExecutableIn(InstallDir.get(), AppName.get());
  if (FetchUnlessWaiting(temporaryPath.get(), downloadWaits) != 0) return OfferAnotherDownload();
  // Held from the first check to the move, so that the file installed is the file checked.
  rt::HeldFile download(rt::CallInt(rt::HoldFile, rt::TextArg(temporaryPath)));
  if (!DownloadIsAcceptable(download, temporaryPath.get(), executablePath.get())) {
    g_continuation = {};  // a whole file that was refused is fetched anew
    return OfferAnotherDownload();
  }
  if (!BeginInstall()) return;  // the user is leaving

  // From here to EndInstall the exit handlers wait instead of stopping this thread.
  const char* refusal = nullptr;
  const InstallResult result = raised ? InstallRaised(download, temporaryPath.get(), executablePath.get(), &refusal)
                                      : PutInPlace(download, executablePath.get());
  const bool installed = result == InstallResult::Installed;
  if (installed) {
    SetBarPosition(10000);
    SetCaption(ui::标签5, "下载完成！");
    SetButtonCaption("启动软件");
    SetButtonDisabled(false);
  }
  EndInstall(installed);
  if (!installed) OfferAnotherTry(result, refusal);
}

}  // namespace updater
