#include "tests/driver/debug_output.h"

#include <atomic>
#include <cstring>

namespace driver {

namespace {

// The one recorder the vectored handler writes to (the handler has no context of its own).
std::atomic<DebugOutputRecorder*> g_recorder{nullptr};

}  // namespace

DebugOutputRecorder::DebugOutputRecorder() {
  g_recorder.store(this);
  handler_ = AddVectoredExceptionHandler(1, Record);
}

DebugOutputRecorder::~DebugOutputRecorder() {
  RemoveVectoredExceptionHandler(handler_);
  g_recorder.store(nullptr);
}

LONG CALLBACK DebugOutputRecorder::Record(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  DebugOutputRecorder* recorder = g_recorder.load();
  // The arguments: the text's length with its NUL, and the text.
  if (recorder != nullptr && record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
    const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    std::string line(text, strnlen(text, record.ExceptionInformation[0]));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::lock_guard<std::mutex> hold(recorder->lock_);
    recorder->lines_.push_back(std::move(line));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

std::vector<std::string> DebugOutputRecorder::LinesWith(const std::string& part) const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::string> found;
  for (const std::string& line : lines_) {
    if (line.find(part) != std::string::npos) found.push_back(line);
  }
  return found;
}

void DebugOutputRecorder::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  lines_.clear();
}

}  // namespace driver
