#include <windows.h>
#include <ole2.h>

#include <string>

#include "app/lifecycle.h"
#include "app/runtime_state.h"
#include "app/wiring.h"
#include "runtime/external_functions.h"
#include "runtime/fatal_error.h"
#include "runtime/program_path.h"
#include "runtime/program_state.h"
#include "ui/form.h"
#include "ui/form_instance.h"

namespace app {

namespace {

constexpr char kHiddenOwnerClass[] = "CorvaneHiddenOwner";

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEndRequest) rt::EndProgram(static_cast<int32_t>(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHiddenOwner() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HiddenOwnerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kHiddenOwnerClass;
  RegisterClassA(&windowClass);
  return CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

// Splits the executable's path into the run directory and the file name, and makes the run
// directory current, so that relative file names resolve next to the executable.
void TakeProgramPath() {
  char path[MAX_PATH * 2] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  rt::SetProgramPath(path);
  std::string directory = rt::RunDirectory();
  if (directory.empty()) return;
  // "C:" alone would name the current directory of drive C, not its root.
  if (directory.back() == ':') directory += '\\';
  SetCurrentDirectoryA(directory.c_str());
}

bool BindingIsValid(const EventBinding& binding) {
  const ui::FormDef& form = ui::UpdaterFormDef();
  if (binding.form != form.id || binding.event < 0) return false;
  return binding.control == form.windowId || ui::FindControlDef(form, binding.control) != nullptr;
}

// The program's forms and their event bindings; a binding that names no event of the form
// means the built-in form data is broken.
void LoadFormData() {
  const std::span<const EventBinding> bindings = Wiring().bindings;
  for (const EventBinding& binding : bindings) {
    if (!BindingIsValid(binding)) rt::FatalRuntimeError("载入窗口模板数据段出错!", 0);
  }
  ui::LoadForm(ui::UpdaterFormDef());
  State().bindings = bindings;
}

// Once the program is ending (EndProgram, or a fatal report on the screen) the end sequence
// ends the process itself; a quit message would only close the report before it is read.
void OnLastWindowGone() {
  if (State().loopStarted && rt::EndingCounter.load() == 0) PostQuitMessage(0);
}

}  // namespace

void RuntimeInit() {
  rt::SetProgramEnd(EndTheProgram);
  RuntimeState& state = State();
  // Runtime allocations come from the process heap (RuntimeAlloc); nothing to set up for it.
  if (!state.oleReady) state.oleReady = SUCCEEDED(OleInitialize(nullptr));
  TakeProgramPath();
  state.hiddenOwner = CreateHiddenOwner();
  state.mainThread = GetCurrentThreadId();
  // The declared external functions are bound on their first call, not here.
  const std::span<const rt::ExternalFunction> functions = Wiring().externalFunctions;
  rt::PrepareExternalFunctions(functions.data(), static_cast<int32_t>(functions.size()));
  ui::SetFormHost({FireEvent, OnLastWindowGone});
  LoadFormData();
}

}  // namespace app
