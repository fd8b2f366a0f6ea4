// The updater's wiring: which routine of the updater logic handles which event of
// UpdaterWindow, what the program entry registers to run at the end, and the external
// functions the download declares.
#include "app/wiring.h"
#include "updater/declared_functions.h"
#include "updater/globals.h"
#include "updater/handlers.h"

namespace app {

namespace {

constexpr EventBinding kBindings[] = {
    {ui::UpdaterForm, ui::UpdaterWindow, 0, updater::OnWindowCreated},  // created
    {ui::UpdaterForm, ui::UpdaterWindow, 2, updater::OnWindowDestroy},  // about to be destroyed
    {ui::UpdaterForm, ui::超级按钮1, 0, updater::OnCloseButtonClick},    // clicked
    {ui::UpdaterForm, ui::按钮2, 0, updater::OnUpdateButtonClick},       // clicked
};

constexpr rt::CleanupRoutine kExitCleanups[] = {updater::FreeGlobals};

const ProgramWiring kWiring{kBindings, kExitCleanups, updater::DeclaredFunctions};

}  // namespace

const ProgramWiring& Wiring() { return kWiring; }

}  // namespace app
