// The updater's event bindings and exit cleanup: which routine of the updater logic handles
// which event of UpdaterWindow, and what the program entry registers to run at the end.
#include "app/wiring.h"

namespace app {

namespace {

// A null handler leaves its event unbound (the updater logic that fills them is not built yet).
constexpr EventBinding kBindings[] = {
    {ui::UpdaterForm, ui::UpdaterWindow, 0, nullptr},  // created: OnWindowCreated
    {ui::UpdaterForm, ui::UpdaterWindow, 2, nullptr},  // about to be destroyed: OnWindowDestroy
    {ui::UpdaterForm, ui::超级按钮1, 0, nullptr},      // clicked: OnCloseButtonClick
    {ui::UpdaterForm, ui::按钮2, 0, nullptr},          // clicked: OnUpdateButtonClick
};

// The exit cleanups, in the order of registration (FreeGlobals).
constexpr std::span<const rt::CleanupRoutine> kExitCleanups{};

const ProgramWiring kWiring{kBindings, kExitCleanups};

}  // namespace

const ProgramWiring& Wiring() { return kWiring; }

}  // namespace app
