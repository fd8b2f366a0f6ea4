// The updater's event handlers and thread entry, bound to the window's events at start-up.
#pragma once

#include <cstdint>

namespace updater {

// Event 0 of the window (created): decides from the hand-off file whether there is an update.
void OnWindowCreated();

// Event 0 of 按钮2: "开始更新" starts the update, "启动软件" starts the new application.
void OnUpdateButtonClick();

// Event 0 of 超级按钮1 ("×"): removes the temporary file and ends the program.
void OnCloseButtonClick();

// Event 2 of the window (about to be destroyed): removes the hand-off file and ends the program.
void OnWindowDestroy();

// Event 1 of the window (may the window close, may the session end?): a probation that watches
// the new version gives up, keeping it; the answer is always yes.
void OnQueryEnd();

// The worker thread's routine: runs UpdateWorker; its parameter is non-zero when a download
// waits from an earlier try.
uint32_t __stdcall WorkerThreadEntry(void* downloadWaits);

// The worker's body: download (or take the one that waits), install, final state of the
// window. After a failed install the button offers another try.
void UpdateWorker(bool downloadWaits);

// The probation's thread, started by "启动软件" (probation.cpp): starts the new version, watches
// it, keeps it or puts the old one back, and ends the program with exit code 0.
uint32_t __stdcall ProbationThreadEntry(void* unused);

}  // namespace updater
