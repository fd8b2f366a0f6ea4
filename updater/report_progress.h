// The download's progress callback: rewrites the statistics labels, the progress bar and the
// percentage of the updater window after every chunk.
#pragma once

#include <cstdint>

namespace updater {

// The shape of a progress callback: four 32-bit values, called the way a window procedure is
// (stdcall), so that the download can invoke it through CallWindowProcA. The result is not used.
using ProgressCallback = int32_t(__stdcall*)(int32_t total, int32_t downloaded, int32_t elapsedMs,
                                             int32_t fetchedBytes);

// Writes, in this order: 标签6 file size, 标签7 downloaded, 标签8 elapsed time, 标签9 speed,
// 标签10 remaining time (only when it is known), the position of 进度条1, and 标签5 the
// percentage of the position read back from the bar. Keeps nothing between calls; runs on
// the download's thread. Returns 0.
int32_t __stdcall ReportProgress(int32_t total, int32_t downloaded, int32_t elapsedMs, int32_t fetchedBytes);

}  // namespace updater
