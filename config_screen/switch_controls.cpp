#include "switch_controls.h"

#include "clock.h"
#include "config_load.h"
#include "conversions.h"
#include "services.h"
#include "trap.h"

#include <QCheckBox>
#include <QComboBox>

namespace kr7::config {

namespace {

bool writeReported(const QWidget* control, const Key& key, const Value& value) {
    bool written = false;
    Trap(handlerErrorName(control, "Click")).run([&] { written = writeKey(key, value); });
    return written;
}

void writeTick(QCheckBox* box, const Setting& s, bool ticked) {
    if (!writeReported(box, s.key, Value::whole(ticked ? s.onValue : 0)))
        box->setChecked(!ticked);
}

// The switch word as stored, with the box's bit (and the bits that go with it) changed.
std::int32_t switchWord(const Setting& s, bool ticked) {
    const auto stored = conv::toWhole32(numberOf(readKey(s.key)).value_or(0));
    return ticked ? stored | s.bit | s.bitsSetAlong : stored & ~(s.bit | s.bitsClearedAlong);
}

// The word is read at each change, so that bits another program set since the load stay,
// and all eight boxes then show the word written.
void writeBit(const ScreenState& state, QCheckBox* box, const Setting& s, bool ticked) {
    std::int32_t word = 0;
    bool written = false;
    Trap(handlerErrorName(box, "Click")).run([&] {
        word = switchWord(s, ticked);
        written = writeKey(s.key, Value::whole(word));
    });
    if (!written) {
        box->setChecked(!ticked);
        return;
    }
    for (const Setting& other : settings())
        if (other.shown == Shown::Bit && other.key == s.key)
            state.control<QCheckBox>(other.name)->setChecked((word & other.bit) != 0);
}

void writeChoice(QComboBox* list, const Setting& s, int position) {
    if (position < 0 || writeReported(list, s.key, Value::whole(position)))
        return;
    KeyReader reader;
    fillControl(list, s, reader, services().clock->now());
}

} // namespace

void connectSwitches(ScreenState& state, QObject* context) {
    for (const Setting& s : settings()) {
        if (s.kind == Kind::Check) {
            auto* box = state.control<QCheckBox>(s.name);
            QObject::connect(box, &QCheckBox::clicked, context, [&state, box, &s](bool ticked) {
                if (s.shown == Shown::Bit)
                    writeBit(state, box, s, ticked);
                else
                    writeTick(box, s, ticked);
            });
        } else if (s.kind == Kind::Combo) {
            auto* list = state.control<QComboBox>(s.name);
            QObject::connect(list, &QComboBox::activated, context,
                             [list, &s](int position) { writeChoice(list, s, position); });
        }
    }
}

} // namespace kr7::config
