// The texts and the bar position of one progress report, computed from the four values the
// download hands to its callback. Pure: nothing here touches a window, so every step can be
// checked byte for byte on any platform. Each function builds one text; the caller writes it
// to its control and drops it before asking for the next.
#pragma once

#include <cstdint>

#include "runtime/owned.h"

namespace updater {

// The callback's four values, in the order the download passes them.
struct ProgressValues {
  int32_t total;         // body size in bytes; 0 when the server gave none
  int32_t downloaded;    // bytes in the local file so far
  int32_t elapsedMs;     // milliseconds since the first read, never 0
  int32_t fetchedBytes;  // bytes fetched by the current download call
};

// "文件大小:<KB, two decimals>KB" for 标签6.
rt::OwnedText FileSizeText(const ProgressValues& v);

// "已下载:<KB, two decimals>KB" and CR LF for 标签7.
rt::OwnedText DownloadedText(const ProgressValues& v);

// "所用时间:<whole seconds>秒" and CR LF for 标签8.
rt::OwnedText ElapsedText(const ProgressValues& v);

// The speed in KB/s rounded to two decimals; the remaining time is computed from this
// rounded value.
double SpeedKbPerSecond(const ProgressValues& v);

// "下载速度:<speed>KB/s" and CR LF for 标签9.
rt::OwnedText SpeedText(double speed);

// "剩余时间:<h>时<m>分<s>秒" for 标签10, or null when the remaining time is unknown: the
// speed rounds to 0.00, or the size is unknown (total 0), in which case the label keeps what
// it showed.
rt::OwnedText RemainingTimeText(const ProgressValues& v, double speed);

// The position of 进度条1 in hundredths of a percent (full scale 10000), truncated; 0 when the
// size is unknown. Not capped: more bytes than the total give more than 10000.
int32_t BarPosition(const ProgressValues& v);

// "下载进度:<percent>%" for 标签5, from the position read back from the bar.
rt::OwnedText PercentageText(int32_t barPosition);

}  // namespace updater
