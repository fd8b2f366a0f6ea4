// Putting the downloaded executable in place of the installed one.
#pragma once

#include <span>

#include "runtime/held_file.h"
#include "runtime/value.h"

namespace updater {

// Why the download (held open from here to the install, invalid when it could not be held) may
// not replace the executable, as the box that tells the user, having traced the check; null
// when it may: not empty, a complete Windows executable this Windows runs, of the announced
// SHA-256 when one was announced, not a version that could not start before, signed by the
// installed executable's signer when that one is signed, and neither an older version nor
// another product.
const char* DownloadRefusal(const rt::HeldFile& download, const char* downloadPath, const char* executablePath);

// The same, telling the user when not.
bool DownloadIsAcceptable(const rt::HeldFile& download, const char* temporaryPath, const char* executablePath);

// Every box DownloadRefusal may give, in a fixed order.
std::span<const char* const> RefusalTexts();

// A publisher who signs the installed executable signs every release: true when the installed
// executable carries no signature, or when the download (a path or a held file) has a valid one
// of the signer written in the installed executable's signature.
bool SignedByInstalledPublisher(const rt::ArgRecord& download, const char* executablePath);

// The box that refuses the download (a path or a held file) as an older release or another
// program, having traced why; null when it is neither. Where the installed executable carries
// a file version or a product name, the download must carry them too, not lower and the same;
// an installed version resource that cannot be read refuses every download.
const char* OlderOrOtherProgram(const rt::ArgRecord& download, const char* executablePath);

// What the install did. The last three come from a raised install (raised_install.h).
enum class InstallResult { Installed, NoCopy, NotReplaced, NotPermitted, FolderNotWritable, Refused };

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

// A box with the program's caption.
void Tell(const char* message);

}  // namespace updater
