// The updater's event bindings and exit cleanup.
#include "app/wiring.h"

namespace app {

namespace {

// Window event 0 (created), window event 2 (about to be destroyed), 超级按钮1 event 0 and
// 按钮2 event 0 are bound here to the updater's handlers, with its exit cleanup below.
constexpr EventBinding kBindings[] = {
    {ui::UpdaterForm, ui::UpdaterWindow, 0, nullptr},
    {ui::UpdaterForm, ui::UpdaterWindow, 2, nullptr},
    {ui::UpdaterForm, ui::超级按钮1, 0, nullptr},
    {ui::UpdaterForm, ui::按钮2, 0, nullptr},
};

const ProgramWiring kWiring{kBindings, {}};

}  // namespace

const ProgramWiring& Wiring() { return kWiring; }

}  // namespace app
