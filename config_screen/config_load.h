#pragma once

#include "config_layout.h"
#include "config_values.h"

#include <QDateTime>

namespace kr7 {
class Trap;
}

namespace kr7::config {

// Fills one control from its stored value, as the load does.
void fillControl(QWidget* control, const Setting& setting, KeyReader& reader, const QDateTime& now);

// Fills every control of the settings table from its stored value, each control a step of
// `trap` of its own, and takes the temperature limits from their parameters. Each stored
// value is read once.
void fillControls(const Controls& controls, const Trap& trap, const QDateTime& now,
                  TemperatureLimits& limits);

} // namespace kr7::config
