#include "config_load.h"

#include "conversions.h"
#include "trap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace kr7::config {

void fillControl(QWidget* control, const Setting& s, KeyReader& reader, const QDateTime& now) {
    if (auto* field = qobject_cast<QLineEdit*>(control)) {
        field->setText(s.shown == Shown::Product
                           ? productText(reader.read(s.key), reader.read(s.factor))
                           : shownText(s.shown, reader.read(s.key), now));
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(ticked(s.shown, reader.read(s.key), s.bit));
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(listPosition(reader.read(s.key), combo->count()));
    }
}

void fillControls(const Controls& controls, const Trap& trap, const QDateTime& now,
                  TemperatureLimits& limits) {
    KeyReader reader;
    for (const Setting& s : settings()) {
        if (s.shown == Shown::Nothing)
            continue;
        QWidget* control = controls.value(s.name);
        trap.run([&] { fillControl(control, s, reader, now); });
    }
    for (const Setting& s : settings()) {
        if (s.edit.temperature == Temperature::None)
            continue;
        trap.run([&] {
            limits.set(s.edit.temperature,
                       conv::toWhole32(numberOf(reader.read(s.key)).value_or(0)));
        });
    }
}

} // namespace kr7::config
