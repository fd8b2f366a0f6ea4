#include "updater/progress_texts.h"

#include "runtime/args.h"
#include "runtime/number_ops.h"
#include "runtime/text_ops.h"

namespace updater {

namespace {

constexpr double BytesPerKb = 1024.0;
constexpr double MsPerSecond = 1000.0;
constexpr double SmallestSpeed = 0.0000001;
constexpr double SecondsPerHour = 3600.0;
constexpr double SecondsPerMinute = 60.0;
constexpr double BarFullScale = 10000.0;
constexpr double PositionsPerPercent = 100.0;

rt::OwnedText NumberText(double value) { return rt::CallText(rt::ToText, rt::Double(value)); }

double RoundTo2(double value) { return rt::CallDouble(rt::RoundHalfUp, rt::Double(value), rt::Int(2)); }

rt::OwnedText Join(const char* prefix, const rt::OwnedText& number, const char* suffix) {
  return rt::OwnedText(rt::ConcatTexts(3, prefix, number.get(), suffix));
}

}  // namespace

rt::OwnedText FileSizeText(const ProgressValues& v) {
  return Join("文件大小:", NumberText(RoundTo2(double(v.total) / BytesPerKb)), "KB");
}

rt::OwnedText DownloadedText(const ProgressValues& v) {
  return Join("已下载:", NumberText(RoundTo2(double(v.downloaded) / BytesPerKb)), "KB\r\n");
}

rt::OwnedText ElapsedText(const ProgressValues& v) {
  const double seconds = rt::CallDouble(rt::IntegerDivide, rt::Double(v.elapsedMs), rt::Double(MsPerSecond));
  return Join("所用时间:", NumberText(seconds), "秒\r\n");
}

double SpeedKbPerSecond(const ProgressValues& v) {
  return RoundTo2(double(v.fetchedBytes) * MsPerSecond / BytesPerKb / double(v.elapsedMs));
}

rt::OwnedText SpeedText(double speed) { return Join("下载速度:", NumberText(speed), "KB/s\r\n"); }

rt::OwnedText RemainingTimeText(const ProgressValues& v, double speed) {
  // Without a size there is nothing left to count down: a time computed from 0 - downloaded
  // would come out negative.
  if (!(speed > SmallestSpeed) || v.total == 0) return rt::OwnedText();
  const double remaining = rt::CallInt(
      rt::ToInteger, rt::Double((double(v.total) - double(v.downloaded)) / BytesPerKb / speed));
  const auto hours = NumberText(rt::CallDouble(rt::IntegerDivide, rt::Double(remaining), rt::Double(SecondsPerHour)));
  const auto minutes = NumberText(rt::CallDouble(
      rt::Remainder,
      rt::Double(rt::CallDouble(rt::IntegerDivide, rt::Double(remaining), rt::Double(SecondsPerMinute))),
      rt::Double(SecondsPerMinute)));
  const auto seconds = NumberText(rt::CallDouble(rt::Remainder, rt::Double(remaining), rt::Double(SecondsPerMinute)));
  return rt::OwnedText(
      rt::ConcatTexts(7, "剩余时间:", hours.get(), "时", minutes.get(), "分", seconds.get(), "秒"));
}

int32_t BarPosition(const ProgressValues& v) {
  if (v.total == 0) return 0;
  return rt::CallInt(rt::ToInteger, rt::Double(double(v.downloaded) * BarFullScale / double(v.total)));
}

rt::OwnedText PercentageText(int32_t barPosition) {
  return Join("下载进度:", NumberText(double(barPosition) / PositionsPerPercent), "%");
}

}  // namespace updater
