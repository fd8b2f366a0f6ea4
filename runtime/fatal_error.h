// The fatal runtime error: a report box, then the end of the program with exit code -1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Shows the report on the calling thread, empties the exit cleanup list and ends the program
// through EndProgram(-1). Never returns.
[[noreturn]] void FatalRuntimeError(const char* message, int32_t code);

// The report text: "运行时出错!", the code line when code is not 0, the message line when the
// message is not empty. Written into out (cut to capacity - 1 bytes), NUL-terminated.
void BuildFatalReport(const char* message, int32_t code, char* out, size_t capacity);

// Shows the finished report to the user; one per platform.
void ShowFatalReport(const char* report);

}  // namespace rt
