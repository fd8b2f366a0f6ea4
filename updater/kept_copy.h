// The way back: a copy of the old executable, kept beside it (KeptCopyOf) from before the new
// one is moved in until the new one has started. Only the probation's verdict removes it, or an
// install that left the old executable in place; every other way out keeps it, and the next
// install writes it anew.
#pragma once

namespace updater {

// Copies the executable aside, written through and flushed; tried again a while when the copy
// cannot be written (another program holds an earlier one). False, traced, when it cannot be made.
bool KeepCopyOf(const char* executablePath);

// Moves the copy back over the executable in one step, written through; tried again a while when
// the executable is still held by the program that ran it. False, traced, when it cannot be done.
bool PutCopyBack(const char* executablePath);

void RemoveKeptCopy(const char* executablePath);

}  // namespace updater
