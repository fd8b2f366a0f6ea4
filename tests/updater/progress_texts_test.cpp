#include <gtest/gtest.h>

#include <string>

#include "updater/progress_texts.h"

namespace updater {
namespace {

std::string Str(const rt::OwnedText& text) { return text.c_str(); }

// Every text of one report, in the order the labels are written.
struct Report {
  std::string fileSize, downloaded, elapsed, speed;
  bool hasRemaining;
  std::string remaining;
  int32_t position;
};

Report Compute(int32_t total, int32_t downloaded, int32_t elapsedMs, int32_t fetchedBytes) {
  const ProgressValues v{total, downloaded, elapsedMs, fetchedBytes};
  const double speed = SpeedKbPerSecond(v);
  const rt::OwnedText remaining = RemainingTimeText(v, speed);
  return Report{Str(FileSizeText(v)), Str(DownloadedText(v)), Str(ElapsedText(v)), Str(SpeedText(speed)),
                static_cast<bool>(remaining), Str(remaining), BarPosition(v)};
}

TEST(ProgressTexts, WorkedExample) {
  const Report r = Compute(1000000, 123456, 1500, 123456);
  EXPECT_EQ(r.fileSize, "文件大小:976.56KB");
  EXPECT_EQ(r.downloaded, "已下载:120.56KB\r\n");
  EXPECT_EQ(r.elapsed, "所用时间:1秒\r\n");
  EXPECT_EQ(r.speed, "下载速度:80.38KB/s\r\n");  // 80.375 rounds up
  ASSERT_TRUE(r.hasRemaining);
  EXPECT_EQ(r.remaining, "剩余时间:0时0分10秒");  // 856 KB at 80.38 KB/s: 10.6 s, truncated
  EXPECT_EQ(r.position, 1234);
  EXPECT_EQ(Str(PercentageText(r.position)), "下载进度:12.34%");
}

TEST(ProgressTexts, TextsAreGbkBytesWithCrLfWhereTheLabelBreaksTheLine) {
  const Report r = Compute(1048576, 524288, 4000, 524288);
  EXPECT_EQ(r.fileSize, "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:1024KB");
  EXPECT_EQ(r.downloaded.substr(r.downloaded.size() - 4), "KB\x0D\x0A");
  EXPECT_EQ(r.remaining, "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:0\xCA\xB1" "0\xB7\xD6" "4\xC3\xEB");
  EXPECT_EQ(Str(PercentageText(5000)), "\xCF\xC2\xD4\xD8\xBD\xF8\xB6\xC8:50%");
}

TEST(ProgressTexts, HalfwayAndTheLastChunk) {
  const Report half = Compute(1048576, 524288, 4000, 524288);
  EXPECT_EQ(half.fileSize, "文件大小:1024KB");
  EXPECT_EQ(half.downloaded, "已下载:512KB\r\n");
  EXPECT_EQ(half.elapsed, "所用时间:4秒\r\n");
  EXPECT_EQ(half.speed, "下载速度:128KB/s\r\n");
  EXPECT_EQ(half.remaining, "剩余时间:0时0分4秒");
  EXPECT_EQ(half.position, 5000);
  EXPECT_EQ(Str(PercentageText(half.position)), "下载进度:50%");

  const Report last = Compute(1048576, 1048576, 8000, 1048576);
  EXPECT_EQ(last.remaining, "剩余时间:0时0分0秒");
  EXPECT_EQ(last.position, 10000);
  EXPECT_EQ(Str(PercentageText(last.position)), "下载进度:100%");
}

TEST(ProgressTexts, RemainingTimeNeedsASpeedOfAtLeastOneHundredthKbPerSecond) {
  const Report slow = Compute(1000, 4, 1000, 4);  // 0.0039 KB/s rounds to 0
  EXPECT_EQ(slow.speed, "下载速度:0KB/s\r\n");
  EXPECT_FALSE(slow.hasRemaining);

  const Report justEnough = Compute(512 + 3072, 512, 100000, 512);  // exactly 0.005 KB/s
  EXPECT_EQ(justEnough.speed, "下载速度:0.01KB/s\r\n");
  EXPECT_EQ(justEnough.elapsed, "所用时间:100秒\r\n");
  ASSERT_TRUE(justEnough.hasRemaining);
  EXPECT_EQ(justEnough.remaining, "剩余时间:0时5分0秒");  // 3 KB at the rounded 0.01 KB/s
}

TEST(ProgressTexts, ElapsedTimeCountsWholeSeconds) {
  EXPECT_EQ(Compute(1000, 10, 10, 10).elapsed, "所用时间:0秒\r\n");
  EXPECT_EQ(Compute(1000, 10, 999, 10).elapsed, "所用时间:0秒\r\n");
  EXPECT_EQ(Compute(1000, 10, 1000, 10).elapsed, "所用时间:1秒\r\n");
  EXPECT_EQ(Compute(1000, 10, 61999, 10).elapsed, "所用时间:61秒\r\n");
}

TEST(ProgressTexts, RemainingTimeSplitsIntoHoursMinutesSecondsWithoutLeadingZeros) {
  // At 1 KB/s every KB left is a second; the odd 1000 bytes are truncated away.
  const int32_t atOneKbPerSecond = 1024;
  auto remainingFor = [&](int32_t seconds) {
    return Compute(atOneKbPerSecond + seconds * 1024 + 1000, atOneKbPerSecond, 1000, atOneKbPerSecond).remaining;
  };
  EXPECT_EQ(remainingFor(90061), "剩余时间:25时1分1秒");  // hours are not reduced modulo 24
  EXPECT_EQ(remainingFor(3599), "剩余时间:0时59分59秒");
  EXPECT_EQ(remainingFor(3600), "剩余时间:1时0分0秒");
  EXPECT_EQ(remainingFor(60), "剩余时间:0时1分0秒");
}

TEST(ProgressTexts, SpeedCountsOnlyTheBytesOfThisCall) {
  // A resumed download: the file already held 1000 KB, this call fetched 10 KB in one second.
  const Report r = Compute(2048000, 1024000 + 10240, 1000, 10240);
  EXPECT_EQ(r.speed, "下载速度:10KB/s\r\n");
  EXPECT_EQ(r.downloaded, "已下载:1010KB\r\n");
  EXPECT_EQ(r.remaining, "剩余时间:0时1分39秒");  // 990 KB left at 10 KB/s
}

TEST(ProgressTexts, UnknownSizeShowsZeroAndNoRemainingTime) {
  const Report r = Compute(0, 20480, 2000, 20480);
  EXPECT_EQ(r.fileSize, "文件大小:0KB");
  EXPECT_EQ(r.downloaded, "已下载:20KB\r\n");
  EXPECT_EQ(r.speed, "下载速度:10KB/s\r\n");
  EXPECT_FALSE(r.hasRemaining);  // no negative hours, minutes and seconds
  EXPECT_EQ(r.position, 0);
  EXPECT_EQ(Str(PercentageText(r.position)), "下载进度:0%");
}

TEST(ProgressTexts, PositionBeyondFullScaleAndThePercentageOfWhatTheBarHolds) {
  EXPECT_EQ(Compute(100000, 123450, 1000, 123450).position, 12345);
  EXPECT_EQ(Str(PercentageText(12345)), "下载进度:123.45%");
  EXPECT_EQ(Str(PercentageText(32767)), "下载进度:327.67%");  // the most a bar keeps
  EXPECT_EQ(Str(PercentageText(1)), "下载进度:0.01%");
  EXPECT_EQ(Str(PercentageText(9999)), "下载进度:99.99%");
}

TEST(ProgressTexts, LargestSizes) {
  const Report r = Compute(2147483647, 2147483647, 1000, 2147483647);
  EXPECT_EQ(r.fileSize, "文件大小:2097152KB");
  EXPECT_EQ(r.speed, "下载速度:2097152KB/s\r\n");
  EXPECT_EQ(r.remaining, "剩余时间:0时0分0秒");
  EXPECT_EQ(r.position, 10000);
  EXPECT_EQ(Compute(2147483647, 1, 1000, 1).position, 0);
}

}  // namespace
}  // namespace updater
