#include <cstdio>

#include "runtime/fatal_error.h"

namespace rt {

// The host build has no message box: the report goes to standard error.
void ShowFatalReport(const char* report) {
  std::fputs(report, stderr);
  std::fflush(stderr);
}

}  // namespace rt
