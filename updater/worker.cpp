#include "runtime/args.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/text_ops.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/http_download.h"
#include "updater/install.h"
#include "updater/report_progress.h"
#include "updater/run_directory_files.h"
#include "updater/window_access.h"
#include "updater/worker_phase.h"

namespace updater {

namespace {

// The new executable in the temporary file: the download an earlier try left there, when it
// waits and is still there, else fetched anew. 0 when it is there, -1 after a failure that the
// download has shown.
int32_t FetchUnlessWaiting(const char* temporaryPath, bool downloadWaits) {
  if (downloadWaits && rt::CallInt(rt::FileSize, rt::TextArg(temporaryPath)) > 0) return 0;
  return HttpDownload(DownloadUrl.c_str(), temporaryPath, ReportProgress, 0, false);
}

// The user is asked to close the application, and the button then offers to try again.
void OfferAnotherTry() {
  TellNotInstalled();
  SetButtonCaption("开始更新");
  SetButtonDisabled(false);
}

}  // namespace

uint32_t __stdcall WorkerThreadEntry(void* downloadWaits) {
  UpdateWorker(downloadWaits != nullptr);
  return 0;
}

void UpdateWorker(bool downloadWaits) {
  rt::OwnedText temporaryPath(rt::ConcatTexts(2, InstallDir.get(), kTemporaryFile));
  rt::OwnedText executablePath = ExecutableIn(InstallDir.get(), AppName.get());
  if (FetchUnlessWaiting(temporaryPath.get(), downloadWaits) != 0) return;  // it has told the user why
  // Held from the first check to the move, so that the file installed is the file checked.
  const rt::HeldFile download(rt::CallInt(rt::HoldFile, rt::TextArg(temporaryPath)));
  // A refusal has told the user why; the window stays "正在更新" and only closing is left.
  if (!DownloadIsAcceptable(download, temporaryPath.get(), executablePath.get())) return;
  if (!BeginInstall()) return;  // the user is leaving

  // From here to EndInstall the exit handlers wait instead of stopping this thread.
  const bool installed = PutInPlace(download, executablePath.get());
  if (installed) {
    SetBarPosition(10000);
    SetCaption(ui::标签5, "下载完成！");
    SetButtonCaption("启动软件");
    SetButtonDisabled(false);
  }
  EndInstall(installed);
  if (!installed) OfferAnotherTry();
}

}  // namespace updater
