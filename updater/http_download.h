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
  // first whole answer's strong ETag, else its Last-Modified where its Date is a second later;
  // empty when it gave neither (no resume).
  std::string validator;
  // In and out: the whole file's size as the first whole answer gave it (a part must end
  // there); 0 when it did not.
  int64_t wholeSize = 0;
  // Out: the first whole answer came compressed, so a part of it cannot be continued.
  bool encoded = false;
  // Out: the download broke off, and another try may put it right: a failed read, a stall, an
  // end short of the whole size, a partial answer that is not the rest of the file, or, for a
  // resumed request, no answer at all, a 5xx or a 416.
  bool brokeOff = false;
  // Out: with brokeOff, the file holds a part that a resumed request can continue; otherwise
  // the next try fetches the file whole.
  bool continuable = false;
};

// Fetches url into localPath. resume false: the file is created or emptied. resume true: the
// bytes from resumeOffset on are asked for, uncompressed (If-Range: the continuation's
// validator, when it has one), and appended to the file's first resumeOffset bytes when the
// answer is exactly the rest of the file (a file shorter than that, or a whole answer, is
// fetched again from the start; any other partial answer drops the part). Returns 0 when the whole body is stored; -1 after a
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
