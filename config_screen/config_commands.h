#pragma once

#include "screen_state.h"

class QObject;

namespace kr7::config {

// The two clear commands, which empty result tables after asking, and the "Set to Now"
// buttons, which stamp the present date and time into their date setting.
void connectCommands(ScreenState& state, QObject* context);

} // namespace kr7::config
