// The HTTP download: one GET through WinINet into a local file, with a progress callback after
// every chunk of at most 10240 bytes, optionally continuing a partial file.
#pragma once

#include <cstdint>

#include "updater/report_progress.h"

namespace updater {

// Fetches url into localPath. resume false: the file is created or emptied. resume true: the
// bytes from resumeOffset on are asked for and appended to the file's first resumeOffset bytes
// (a file shorter than that is fetched again from the start). Returns 0 when the whole body
// is stored; -1 after a failure, whose message it has shown, or after a stop request.
int32_t HttpDownload(const char* url, const char* localPath, ProgressCallback progressCallback,
                     int32_t resumeOffset, bool resume);

// Asks the download to stop, for good: a running one gives up at its next chunk without a
// message, and its connection is closed now (which, on Windows, also ends a read that is
// waiting for data); a later one does not start. Callable from any thread.
void RequestDownloadStop();

}  // namespace updater
