#include "runtime/args.h"
#include "runtime/text_ops.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/http_download.h"
#include "updater/install.h"
#include "updater/report_progress.h"
#include "updater/window_access.h"
#include "updater/worker_phase.h"

namespace updater {

uint32_t __stdcall WorkerThreadEntry(void*) {
  UpdateWorker();
  return 0;
}

void UpdateWorker() {
  rt::OwnedText temporaryPath(rt::ConcatTexts(2, InstallDir.get(), "\\更新文件.tmp"));
  rt::OwnedText executablePath(rt::ConcatTexts(4, InstallDir.get(), "\\", AppName.get(), ".exe"));
  const int32_t result = HttpDownload(DownloadUrl.c_str(), temporaryPath.get(), ReportProgress, 0, false);
  // A failure has told the user why; the window stays "正在更新" and only closing is left.
  if (result != 0 || !DownloadIsAcceptable(temporaryPath.get(), executablePath.get())) return;
  if (!BeginInstall()) return;  // the user is leaving

  // From here to EndInstall the exit handlers wait instead of stopping this thread.
  const bool installed = PutInPlace(temporaryPath.get(), executablePath.get());
  if (installed) {
    SetBarPosition(10000);
    SetCaption(ui::标签5, "下载完成！");
    SetButtonCaption("启动软件");
    SetButtonDisabled(false);
  }
  EndInstall();
  if (!installed) TellNotInstalled();
}

}  // namespace updater
