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

// The worker thread's routine: runs UpdateWorker.
uint32_t __stdcall WorkerThreadEntry(void* parameter);

// The worker's body: download, install, final state of the window.
void UpdateWorker();

}  // namespace updater
