// Numbered files: a small layer of open, seek, write and close used by the download.
//
// Every file that OpenFile opened and CloseFile has not closed yet is listed in one
// process-wide table. The table is a fixed array of slots whose state changes only by atomic
// compare-and-exchange: no lock is ever taken, so a thread stopped with TerminateThread in the
// middle of an operation cannot leave anything held that another thread would wait for, and
// when two threads close the same number, exactly one of them closes the handle. Numbers are
// not reused: a number that was closed never names a file opened later.
#pragma once

#include "runtime/value.h"

namespace rt {

// (path, mode = 3, share = 1) -> Int FileNumber, 0 on failure. Modes: 1 read, 2 write,
// 3 read/write (existing files), 4 create or empty, 5 write and 6 read/write creating when
// missing and keeping contents. Shares: 1 others read and write, 2 only write, 3 only read,
// 4 exclusive. The position starts at 0.
void OpenFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file, method = 1, offset) -> Bool: method 1 from the start, 2 from the end, 3 from the
// current position.
void SeekFile(ArgRecord* result, int32_t argc, const ArgRecord* args);
// (file) -> Bool.
void SeekToStart(ArgRecord* result, int32_t argc, const ArgRecord* args);
// (file) -> Bool.
void SeekToEnd(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file, data...) -> Bool: writes each non-empty Bytes at the position; true when all were
// written in full. After a failed or short write the position goes back to where it was.
void WriteData(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Bool: makes the current position the end of the file, cutting what lies after it.
void SetFileEnd(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file): closes and forgets the file; 0 or a number already closed does nothing.
void CloseFile(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
