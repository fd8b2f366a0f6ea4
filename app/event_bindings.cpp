// The updater's wiring: which routine of the updater logic handles which event of
// UpdaterWindow, what the program entry registers to run at the end, and the external
// functions the download declares, and the raised install's task.
#include "app/wiring.h"
#include "ui/events.h"
#include "updater/declared_functions.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/raised_install.h"

namespace app {

namespace {

constexpr EventBinding kBindings[] = {
    {ui::UpdaterForm, ui::UpdaterWindow, ui::event::Created, updater::OnWindowCreated},
    {ui::UpdaterForm, ui::UpdaterWindow, ui::event::QueryEnd, updater::OnQueryEnd},
    {ui::UpdaterForm, ui::UpdaterWindow, ui::event::Destroy, updater::OnWindowDestroy},
    {ui::UpdaterForm, ui::超级按钮1, ui::event::Click, updater::OnCloseButtonClick},
    {ui::UpdaterForm, ui::按钮2, ui::event::Click, updater::OnUpdateButtonClick},
};

constexpr rt::CleanupRoutine kExitCleanups[] = {updater::FreeGlobals};

const ProgramWiring kWiring{kBindings, kExitCleanups, updater::DeclaredFunctions, updater::RunRaisedTask};

}  // namespace

const ProgramWiring& Wiring() { return kWiring; }

}  // namespace app
