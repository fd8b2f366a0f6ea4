// What this process writes with OutputDebugString, recorded the way a debugger sees it: the
// system raises each line as an exception (DBG_PRINTEXCEPTION_C) before it goes to a debug
// viewer, and a vectored handler sees that exception first and lets it go on.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace driver {

class DebugOutputRecorder {
 public:
  DebugOutputRecorder();  // recording from now on, on every thread of the process
  ~DebugOutputRecorder();
  DebugOutputRecorder(const DebugOutputRecorder&) = delete;
  DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;

  // The lines recorded that contain `part`, without their line ends.
  std::vector<std::string> LinesWith(const std::string& part) const;
  // Forgets the lines recorded so far.
  void Clear();

 private:
  static LONG CALLBACK Record(EXCEPTION_POINTERS* exception);

  void* handler_ = nullptr;
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

}  // namespace driver
