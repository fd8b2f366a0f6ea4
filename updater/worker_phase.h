// How far the worker has got. The exit handlers and the worker agree through it on who goes
// first: once the worker has begun installing, the user's leaving waits for the install to
// end; once the user has begun leaving, the worker installs nothing.
#pragma once

namespace updater {

enum class WorkerPhase : int { Idle, Downloading, Installing, Finished, Stopping };

// Set by the button just before the worker starts.
void EnterDownloading();

// The worker's claim on the install: false when the user is already leaving.
bool BeginInstall();

// The worker has written its last state.
void EndInstall();

// The exit handlers' claim: true when the worker may now be stopped (no install is running);
// false while an install runs (wait for the worker to end).
bool HoldWorkerBack();

WorkerPhase CurrentWorkerPhase();

}  // namespace updater
