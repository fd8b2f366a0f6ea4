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

// Stops every running instance of the executable (the same program run from other folders is
// left alone) and moves the held download over it in one step, so that the executable is at
// every moment either the old or the complete new file, and the new one is the file checked.
// Shows nothing; returns whether the new executable is in place (false also when an instance
// could not be stopped).
bool PutInPlace(const rt::HeldFile& download, const char* executablePath);

// Tells the user that the new executable could not be put in place.
void TellNotInstalled();

}  // namespace updater
