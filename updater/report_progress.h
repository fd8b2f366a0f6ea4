// The download's progress callback: rewrites the statistics labels, the progress bar and the
// percentage of the updater window after every chunk.
#pragma once

#include <cstdint>

namespace updater {

// The shape of a progress callback: that of a window procedure (handle, message, first and
// second parameter, with their sizes on every Windows), so that the download can invoke it
// through CallWindowProcA. Each of the four values is a 32-bit integer in the low half of its
// parameter. The result is not used.
using ProgressCallback = intptr_t(__stdcall*)(uintptr_t total, uint32_t downloaded, uintptr_t elapsedMs,
                                              intptr_t fetchedBytes);

// Writes, in this order: 标签6 file size, 标签7 downloaded, 标签8 elapsed time, 标签9 speed,
// 标签10 remaining time (only when it is known), the position of 进度条1, and 标签5 the
// percentage of the position read back from the bar. Keeps nothing between calls; runs on
// the download's thread. Returns 0.
intptr_t __stdcall ReportProgress(uintptr_t total, uint32_t downloaded, uintptr_t elapsedMs, intptr_t fetchedBytes);

}  // namespace updater
