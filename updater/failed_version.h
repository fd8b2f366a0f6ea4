// The download that could not start, remembered so that the same bytes are not installed again:
// its SHA-256 in rollback.ini of the run directory, "[rollback]" then "sha256=" and 64 lowercase
// hex digits. One is remembered, the last; it is forgotten once another version has started.
#pragma once

#include "runtime/value.h"

namespace updater {

// Remembers the executable (the new version, still in place) as one that could not start.
void RememberFailedVersion(const char* executablePath);

// True, traced, when the download (a held file) has the bytes of the remembered version.
bool CouldNotStartBefore(const rt::ArgRecord& download);

void ForgetFailedVersion();

}  // namespace updater
