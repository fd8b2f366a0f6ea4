#include <gtest/gtest.h>

#include "updater/worker_phase.h"

namespace updater {
namespace {

// The phase is the program's one; each case first brings it back to a worker that ended its
// failed download.
void FromIdle() {
  EnterDownloading();
  EndFailedDownload();
}

TEST(WorkerPhase, AnInstallThatHasBegunIsWaitedForAndThenTheWorkerMayBeStopped) {
  FromIdle();
  EXPECT_FALSE(EnterDownloading());
  EXPECT_TRUE(WorkerMayBeStopped()) << "a download may be stopped";
  FromIdle();
  EnterDownloading();
  EXPECT_TRUE(BeginInstall());
  EXPECT_FALSE(WorkerMayBeStopped()) << "the install runs";
  EXPECT_FALSE(WorkerMayBeStopped()) << "asking again changes nothing";
  EndInstall(true);
  EXPECT_TRUE(WorkerMayBeStopped());
}

TEST(WorkerPhase, OnceTheUserLeavesTheWorkerInstallsNothingAndOffersNothing) {
  FromIdle();
  EnterDownloading();
  ASSERT_TRUE(WorkerMayBeStopped());
  EXPECT_FALSE(BeginInstall());
  EXPECT_FALSE(EndFailedDownload()) << "no second try while leaving";
  EXPECT_TRUE(WorkerMayBeStopped());
}

TEST(WorkerPhase, AFailedDownloadOffersAnotherTryThatFetchesAgain) {
  FromIdle();
  EnterDownloading();
  EXPECT_TRUE(EndFailedDownload());
  EXPECT_FALSE(EndFailedDownload()) << "told once";
  EXPECT_FALSE(EnterDownloading()) << "nothing waits";
}

TEST(WorkerPhase, AFailedInstallLeavesItsDownloadForTheNextWorkerOnly) {
  FromIdle();
  EnterDownloading();
  ASSERT_TRUE(BeginInstall());
  EndInstall(false);
  EXPECT_TRUE(WorkerMayBeStopped()) << "nothing runs";
  EXPECT_TRUE(EnterDownloading()) << "the checked download waits";
  EXPECT_TRUE(BeginInstall());
  EndInstall(true);
  EXPECT_FALSE(EnterDownloading()) << "an installed download does not wait";
}

TEST(WorkerPhase, EndingAnInstallThatNeverBeganChangesNothing) {
  FromIdle();
  EnterDownloading();
  EndInstall(false);
  EXPECT_TRUE(EndFailedDownload()) << "still downloading";
}

}  // namespace
}  // namespace updater
