// corvane_probe_bad_form: a program whose form data binds an event of a control that the form
// does not have.
#include "app/wiring.h"

namespace {

void Nothing() {}

constexpr app::EventBinding kBindings[] = {
    {ui::UpdaterForm, 0x16019999, 0, Nothing},
};

const app::ProgramWiring kWiring{kBindings, {}, {}};

}  // namespace

const app::ProgramWiring& app::Wiring() { return kWiring; }
