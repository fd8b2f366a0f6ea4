#include "updater/globals.h"

namespace updater {

rt::OwnedText InstallDir;
rt::OwnedText DownloadUrl;
rt::OwnedText AppName;
rt::OwnedText ExpectedSha256;
int32_t WorkerThread = 0;
std::atomic<int32_t> DownloadFileNo{0};

void FreeGlobals() {
  InstallDir.reset();
  DownloadUrl.reset();
  AppName.reset();
  ExpectedSha256.reset();
}

}  // namespace updater
