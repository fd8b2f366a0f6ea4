// How far the worker has got. The exit handlers and the worker agree through it on who goes
// first: once the worker has begun installing, the user's leaving waits for the install to
// end; once the user has begun leaving, the worker installs nothing. An install that failed
// leaves its checked download for the next worker, which the button may start; so does a
// download that failed, for a worker that fetches it again or continues it. After the install,
// the probation's watcher takes the worker's place: the user's leaving (or the session's end)
// makes it give up and keep the new version, except while it is putting the old one back.
#pragma once

namespace updater {

enum class WorkerPhase : int {
  Idle, Downloading, Installing, Finished, NotInstalled, Stopping,
  Probation, Concluding, Concluded,
};

// Set by the button just before a worker starts. True when the worker before it could not
// install its download, so that the complete, checked file waits in the temporary file.
bool EnterDownloading();

// The worker's download or its checks failed, and it has told the user: true when the button
// may offer another try (false when the user is already leaving).
bool EndFailedDownload();

// The worker's claim on the install: false when the user is already leaving.
bool BeginInstall();

// The worker has written its last state: the new executable is in place, or it is not and the
// download is left for another try.
void EndInstall(bool installed);

// The exit handlers' claim: true when the worker may now be stopped (it is still downloading,
// and from now on installs nothing; the probation is watching, and from now on judges nothing;
// or it has ended); false while an install or the probation's verdict runs, which the caller
// lets end.
bool WorkerMayBeStopped();

// "启动软件" after an install: true when the new version is to be watched (the worker enables the
// button just before it ends its install, so an install that is ending counts as ended).
bool BeginProbation();

// The watcher's question between its waits: false once the user or the session has ended it.
bool ProbationGoesOn();

// The session is ending: the probation, if one watches, judges nothing.
void GiveUpProbation();

// The watcher's claim on the verdict: false when the probation was given up.
bool ConcludeProbation();

// The verdict is on the disk; what remains (a box) may be cut short by leaving.
void EndProbation();

}  // namespace updater
