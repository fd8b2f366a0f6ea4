// Putting the downloaded executable in place of the installed one.
#pragma once

#include "runtime/held_file.h"
#include "runtime/value.h"

namespace updater {

// Whether the download (held open from here to the install, invalid when it could not be held)
// may replace the executable: not empty, a complete Windows executable this Windows runs, of
// the announced SHA-256 when one was announced, signed by the installed executable's signer
// when that one is signed, and neither an older version nor another product. Tells the user
// when not.
bool DownloadIsAcceptable(const rt::HeldFile& download, const char* temporaryPath, const char* executablePath);

// A publisher who signs the installed executable signs every release: true when the installed
// executable carries no signature, or when the download (a path or a held file) has a valid one
// of the signer written in the installed executable's signature.
bool SignedByInstalledPublisher(const rt::ArgRecord& download, const char* executablePath);

// The box that refuses the download (a path or a held file) as an older release or another
// program, having traced why; null when it is neither. Where the installed executable carries
// a file version or a product name, the download must carry them too, not lower and the same;
// an installed version resource that cannot be read refuses every download.
const char* OlderOrOtherProgram(const rt::ArgRecord& download, const char* executablePath);

// What the install did.
enum class InstallResult { Installed, NoCopy, NotReplaced };

// Keeps a copy of the executable (kept_copy.h), flushes the held download to the disk, stops
// every running instance of the executable (the same program run from other folders is left
// alone) and moves the download over it in one step, written through, so that the executable is
// at every moment, power cuts included, either the old or the complete new file, and the new one
// is the file checked. Shows nothing. NoCopy: the copy could not be made, and nothing was
// stopped; NotReplaced: the download could not be flushed, an instance could not be stopped or
// the move failed, and the copy is gone again.
InstallResult PutInPlace(const rt::HeldFile& download, const char* executablePath);

// Tells the user why the new executable is not in place.
void TellNotInstalled(InstallResult result);

}  // namespace updater
