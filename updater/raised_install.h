// A run directory this user cannot write (one under Program Files, say): the download goes to the
// user's temporary folder, and only the install runs with raised rights, in a second run of this
// program that takes nothing but two paths and its parent's process id. The window's process is
// never raised, so that the application it starts runs with the user's own rights.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/owned.h"
#include "updater/install.h"

namespace updater {

// The raised run's exit codes: the outcome the window's process turns into its boxes and states.
enum RaisedExit : int32_t {
  kRaisedInstalled = 0x4300,
  kRaisedNoCopy,
  kRaisedNotReplaced,
  kRaisedNotPermitted,  // the run refused its task: not raised, not started by the window, a path elsewhere
  kRaisedCannotCopyIn,  // the download could not be copied into the run directory
  kRaisedPutBack,
  kRaisedNotPutBack,
  kRaisedRefusedFirst = 0x4310,  // + the index of the check's box among RefusalTexts()
};

// The command lines of the raised run's two tasks.
inline constexpr char kInstallTask[] = "/install";    // download, executable, parent's process id
inline constexpr char kPutBackTask[] = "/put-back";  // executable, parent's process id

// Found by trying to create a file there, at the moment of asking.
bool RunDirectoryNeedsRaisedRights(const char* directory);

// Where the download goes then: the user's temporary folder, under the usual name.
rt::OwnedText DownloadPathOutside();

// Installs the checked download by a raised run of this program, waited for: the same outcomes
// as PutInPlace, NotPermitted when the run did not start (the user said no) or refused its task,
// FolderNotWritable when even the raised run could not write the run directory. Refused when the
// raised run's own check of its copy refused it: *refusal is then the check's box.
InstallResult InstallWithRaisedRights(const char* downloadPath, const char* executablePath, const char** refusal);

// The probation's way back where the folder needs raised rights: remembers the failed version
// and puts the kept copy back, by a raised run. False when that was not done.
bool PutBackWithRaisedRights(const char* executablePath);

// The raised run: does the task its command line names and gives its exit code; nothing for an
// ordinary run, whose command line names none.
std::optional<int32_t> RunRaisedTask();

}  // namespace updater
