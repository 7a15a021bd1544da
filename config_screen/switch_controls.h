#pragma once

#include "screen_state.h"

class QObject;

namespace kr7::config {

// Writes every check box, bit box and the spreadsheet list of `state` the moment the user
// changes it, by mouse or keyboard. A change the store does not take is reported and
// undone on the screen, so that the screen never shows what is not stored.
void connectSwitches(ScreenState& state, QObject* context);

} // namespace kr7::config
