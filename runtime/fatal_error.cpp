#include "runtime/fatal_error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/program_state.h"

namespace rt {

namespace {

class ReportWriter {
 public:
  ReportWriter(char* out, size_t capacity) : out_(out), capacity_(capacity) {
    if (capacity_ > 0) out_[0] = '\0';
  }
  void Append(const char* text) {
    if (capacity_ == 0) return;
    const size_t room = capacity_ - 1 - used_;
    const size_t length = std::min(std::strlen(text), room);
    std::memcpy(out_ + used_, text, length);
    used_ += length;
    out_[used_] = '\0';
  }

 private:
  char* out_;
  size_t capacity_;
  size_t used_ = 0;
};

}  // namespace

void BuildFatalReport(const char* message, int32_t code, char* out, size_t capacity) {
  ReportWriter report(out, capacity);
  report.Append("运行时出错!\r\n\r\n");
  if (code != 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(code));
    report.Append("错误代码：");
    report.Append(number);
    report.Append("\r\n\r\n");
  }
  if (message != nullptr && message[0] != '\0') {
    report.Append("错误信息：");
    report.Append(message);
    report.Append("\r\n");
  }
}

void FatalRuntimeError(const char* message, int32_t code) {
  // No handler may run while the report is open.
  EndingCounter.fetch_add(1);
  // Built on the stack: the heap may be the very thing that failed.
  char report[2048];
  BuildFatalReport(message, code, report, sizeof report);
  ShowFatalReport(report);
  ClearExitCleanups();
  EndProgram(-1);
}

}  // namespace rt
