// Putting the downloaded executable in place of the installed one.
#pragma once

namespace updater {

// Whether the download may replace the executable: not empty, a complete Windows executable,
// of the announced SHA-256 when one was announced, and signed by the installed executable's
// signer when that one is signed. Tells the user when not.
bool DownloadIsAcceptable(const char* temporaryPath, const char* executablePath);

// A publisher who signs the installed executable signs every release: true when the installed
// executable has no valid signature, or when the download has one of the same signer subject.
bool SignedByInstalledPublisher(const char* temporaryPath, const char* executablePath);

// Stops every running instance of the executable (the same program run from other folders is
// left alone) and moves the download over it in one step, so that the executable is at every
// moment either the old or the complete new file. Shows nothing; returns whether the new
// executable is in place (false also when an instance could not be stopped).
bool PutInPlace(const char* temporaryPath, const char* executablePath);

// Tells the user that the new executable could not be put in place.
void TellNotInstalled();

}  // namespace updater
