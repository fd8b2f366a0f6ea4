// The updater's program-wide variables. All start empty or 0; assigning a Text frees the
// previous value; FreeGlobals releases the texts when the program ends.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/owned.h"

namespace updater {

// The run directory followed by "\": where the new executable is installed.
extern rt::OwnedText InstallDir;
// The address of the new executable, from the hand-off file.
extern rt::OwnedText DownloadUrl;
// The base name of the main application's executable (kApplicationName).
extern rt::OwnedText AppName;
// The SHA-256 the download must have (64 lowercase hex digits), empty when none was announced.
extern rt::OwnedText ExpectedSha256;

// The worker thread's handle, 0 while none has been started.
extern int32_t WorkerThread;
// The file number of the temporary file while the download writes it, 0 before.
extern std::atomic<int32_t> DownloadFileNo;

// The program's exit cleanup: releases the Text globals that hold a value.
void FreeGlobals();

}  // namespace updater
