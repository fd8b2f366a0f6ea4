// The updater's view of its window: the few property reads and writes it makes.
#pragma once

#include <cstdint>

#include "runtime/owned.h"
#include "ui/properties.h"

namespace updater {

// The caption of a label (or the content of the edit box: the same property number).
void SetCaption(ui::ControlId control, const char* text);
void SetButtonCaption(const char* text);
rt::OwnedText ButtonCaption();
void SetButtonDisabled(bool disabled);
void SetBarPosition(int32_t position);
int32_t StoredBarPosition();
// Hides the window; it stays, and takes close requests.
void SetWindowHidden();

}  // namespace updater
