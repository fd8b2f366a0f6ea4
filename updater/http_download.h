// The HTTP download: one GET through WinINet into a local file, with a progress callback after
// every chunk of at most 10240 bytes, optionally continuing a partial file.
#pragma once

#include <cstdint>
#include <string>

#include "updater/report_progress.h"

namespace updater {

// A server that sends nothing for this long is taken to have dropped the connection.
inline constexpr uint32_t kStallLimitMs = 30000;

// What one download call learns for a later one that continues the same file.
struct DownloadContinuation {
  // In: a break (see brokeOff) will be resumed by another call, so it is not told, only traced.
  bool anotherTryFollows = false;
  // In: how long an answer may send nothing before that is a break.
  uint32_t stallLimitMs = kStallLimitMs;
  // In and out: how the server names the file's version, sent as If-Range when resuming: the
  // first whole answer's ETag, else its Last-Modified; empty when it gave neither (no resume).
  std::string validator;
  // Out: the whole file's size as the answers told it; 0 when they did not.
  int64_t wholeSize = 0;
  // Out: the body broke off (a failed read, a stall, an end short of its length, or no answer
  // at all to a resumed request) while the file holds bytes that a resume can continue.
  bool brokeOff = false;
};

// Fetches url into localPath. resume false: the file is created or emptied. resume true: the
// bytes from resumeOffset on are asked for (If-Range: the continuation's validator, when it has
// one) and appended to the file's first resumeOffset bytes (a file shorter than that, or a whole
// answer, is fetched again from the start). Returns 0 when the whole body is stored; -1 after a
// failure, whose message it has shown (unless the continuation says another try follows a
// break), or after a stop request. The callback's total is the whole file's size.
int32_t HttpDownload(const char* url, const char* localPath, ProgressCallback progressCallback,
                     int32_t resumeOffset, bool resume, DownloadContinuation* continuation = nullptr);

// The access type InternetOpenA is given for a state of InternetGetConnectedState: the system's
// settings with their automatic proxy discovery where the state reports a proxy, else without it.
uint32_t InternetAccessFor(uint32_t connectionState);

// Asks the download to stop, for good: a running one gives up at its next chunk without a
// message, and its connection is closed now (which, on Windows, also ends a read that is
// waiting for data); a later one does not start. Callable from any thread.
void RequestDownloadStop();

}  // namespace updater
