#include <windows.h>

#include "runtime/fatal_error.h"

namespace rt {

void ShowFatalReport(const char* report) { MessageBoxA(nullptr, report, "错误", MB_ICONERROR); }

}  // namespace rt
