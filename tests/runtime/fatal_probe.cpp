// Ends through a fatal runtime error of the external-function mechanism:
//   misspelt   an entry whose function the library lacks
//   stack      a two-argument function declared and called with one argument
//   nolibrary  an entry without a library name that no default library exports
//   cleanup FILE  registers a cleanup that would write FILE, then fails as "misspelt"
#include <windows.h>

#include <cstdio>
#include <string>

#include "runtime/external_functions.h"
#include "runtime/program_path.h"
#include "runtime/program_state.h"

namespace {

std::string g_cleanupMarker;

void WriteMarker() {
  if (FILE* out = std::fopen(g_cleanupMarker.c_str(), "w")) std::fclose(out);
}

constexpr rt::ExternalFunction kTable[] = {
    {"Wininet.dll", "InternetOpenX"},
    {"corvane_probe_a.dll", "TwoArguments"},
    {"", "NoSuchExport"},
};

}  // namespace

int main(int argc, char** argv) {
  char self[260];
  GetModuleFileNameA(nullptr, self, sizeof self);
  rt::SetProgramPath(self);
  rt::PrepareExternalFunctions(kTable, 3);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "cleanup" && argc > 2) {
    g_cleanupMarker = argv[2];
    rt::RegisterExitCleanup(WriteMarker);
  }
  if (mode == "stack") {
    rt::CallExternal(1, {5});
  } else if (mode == "nolibrary") {
    rt::CallExternal(2, {});
  } else {
    rt::CallExternal(0, {0, 0, 0, 0, 0});
  }
  return 0;  // not reached
}
