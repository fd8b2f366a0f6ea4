// corvane_probe: the updater's window and lifecycle with handlers of its own, for the
// lifecycle tests. Every handler appends a line to "probe-events.txt" in the run directory;
// what else it does depends on the mode given as the program's only argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/lifecycle.h"
#include "app/wiring.h"
#include "runtime/args.h"
#include "runtime/number_ops.h"
#include "runtime/program_state.h"
#include "ui/properties.h"

namespace probe {

namespace {

std::string Mode() { return __argc > 1 ? __argv[1] : ""; }

void Log(const char* line) {
  // Opened and closed per line, so that every line is on disk before anything else happens.
  if (FILE* file = std::fopen("probe-events.txt", "ab")) {
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
  }
}

void DivideByZero() { rt::Call(rt::IntegerDivide, rt::Double(1), rt::Double(0)); }

void OnCreated() {
  Log("created");
  const std::string mode = Mode();
  if (mode == "end-on-thread") {
    std::thread([] {
      rt::EndProgram(0);
      Log("thread went on after EndProgram");
    }).detach();
  } else if (mode == "fatal-on-thread") {
    std::thread(DivideByZero).detach();
  } else if (mode == "fatal-in-created") {
    DivideByZero();
  } else if (mode == "end-in-created") {
    rt::EndProgram(0);
  } else if (mode == "unknown-form") {
    ui::ReadProperty(0x52010002, ui::标签5, ui::prop::Caption, ui::WholeProperty);
  } else if (mode == "unknown-start-window") {
    app::LoadStartWindow(0x52010002);
  }
}

void OnDestroy() {
  Log("destroy");
  rt::EndProgram(0);
}

void OnQueryClose() { Log("query-close"); }
void OnQueryEnd() { Log("query-end"); }

void OnCloseButton() {
  Log("close-button");
  if (Mode() != "drag") rt::EndProgram(0);
}

void OnUpdateButton() {
  Log("update-button");
  if (Mode() == "fatal-on-click") DivideByZero();
  // The window exists: it is brought forward, not made again.
  if (Mode() == "load-again") app::LoadStartWindow(ui::UpdaterForm);
}

void Cleanup() {
  Log(GetCurrentThreadId() == app::MainThreadId() ? "cleanup on main thread" : "cleanup on another thread");
  // After the window has gone, a caption write is a fatal error.
  if (Mode() == "write-after-end")
    ui::WriteProperty(ui::UpdaterForm, ui::标签5, ui::prop::Caption, ui::WholeProperty, rt::TextArg("x"));
}

constexpr app::EventBinding kBindings[] = {
    {ui::UpdaterForm, ui::UpdaterWindow, 0, OnCreated},
    {ui::UpdaterForm, ui::UpdaterWindow, 1, OnQueryEnd},
    {ui::UpdaterForm, ui::UpdaterWindow, 2, OnDestroy},
    {ui::UpdaterForm, ui::UpdaterWindow, 12, OnQueryClose},
    {ui::UpdaterForm, ui::超级按钮1, 0, OnCloseButton},
    {ui::UpdaterForm, ui::按钮2, 0, OnUpdateButton},
};

// Registered twice: the entry must keep one.
constexpr rt::CleanupRoutine kCleanups[] = {Cleanup, Cleanup};

const app::ProgramWiring kWiring{kBindings, kCleanups, {}};

}  // namespace

}  // namespace probe

const app::ProgramWiring& app::Wiring() { return probe::kWiring; }
