#include "frm_wash_cycle.h"

#include "common_procs.h"
#include "database.h"
#include "error_report.h"
#include "label_records.h"
#include "schema.h"
#include "trap.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>
#include <stdexcept>

namespace kr7 {

using namespace cleaning;

namespace {

const QString kScreen = QStringLiteral("frm_wash_cycle");
const SlotReporting kReporting{kScreen,
                               QStringLiteral("frm_wash_cycle : update_label_wanted_record")};

const std::array<QString, kOfferedCycles> kCycleNames = {
    QStringLiteral("Normal Wash"), QStringLiteral("Medium Wash"), QStringLiteral("Intense Wash")};

const QString kRange = QStringLiteral("(1-3)");

std::size_t index(Phase phase) {
    return phase == Phase::Wash ? 0 : 1;
}

// A value as the field takes it; nothing for a null or a value the field cannot take.
std::optional<Value> fitted(const QString& field, const Value& value) {
    try {
        Value fit = store::fitForField(store::columnOf(schema::PIC_list, field), value);
        if (!fit.isNull())
            return fit;
    } catch (const Error&) {
    }
    return std::nullopt;
}

// A cycle's time as its copy takes it, read again on Retry; nothing when it stays missing or
// unusable, which is reported.
std::optional<Value> timeToCopy(int cycle, Phase phase, const QString& copy) {
    const QString source = timeField(cycle - 1, phase);
    for (;;) {
        if (auto time = fitted(copy, Get_PIC_list_value(source)))
            return time;
        const QString what = phase == Phase::Wash ? QStringLiteral("wash") : QStringLiteral("dry");
        if (Report_error(kScreen + QStringLiteral(" : Cycle %1 has no valid %2 time (%3): the "
                                                  "cycle was not chosen")
                                       .arg(cycle)
                                       .arg(what, source)) != Answer::Retry)
            return std::nullopt;
    }
}

QLabel* namedLabel(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

} // namespace

frm_wash_cycle::frm_wash_cycle(QWidget* owner)
    : EditingScreen(owner, QStringLiteral("frm_wash_cycle")),
      lbl_status_(namedLabel(QStringLiteral("lbl_status"), QString())) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(namedLabel(
        QStringLiteral("lbl_heading"),
        QStringLiteral("Set each of the following to one of the Clean Cycles available")));
    layout->addWidget(buildChoices());
    layout->addWidget(buildCyclesAvailable());
    layout->addWidget(lbl_status_);
    layout->addStretch();
    setTabOrderAsMade();
}

QWidget* frm_wash_cycle::buildChoices() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const Moment& m : moments()) {
        QLineEdit* field = makeField(m.control, 1, m.caption);
        field->setAccessibleDescription(m.note + u' ' + kRange);
        field->setFixedWidth(field->fontMetrics().averageCharWidth() * 3 + 16);
        // Only keys choose a cycle: nothing may be pasted or dropped past them.
        field->setContextMenuPolicy(Qt::NoContextMenu);
        field->setAcceptDrops(false);
        QLabel* caption = captionFor(m.caption, field);
        caption->setStyleSheet(QStringLiteral("font-weight: bold"));
        grid->addWidget(caption, row, 0);
        grid->addWidget(new QLabel(m.note), row, 1);
        grid->addWidget(field, row, 2);
        grid->addWidget(new QLabel(kRange), row, 3);
        ++row;
    }
    grid->setColumnStretch(4, 1);
    return box;
}

QWidget* frm_wash_cycle::buildCyclesAvailable() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Clean Cycles available:")), 0, 0, 1, -1);
    for (int cycle = 1; cycle <= kOfferedCycles; ++cycle) {
        grid->addWidget(
            namedLabel(QStringLiteral("lbl_cycle(%1)").arg(cycle), QString::number(cycle)), cycle,
            0);
        grid->addWidget(
            namedLabel(QStringLiteral("lbl_user_desc_text(%1)").arg(cycle), kCycleNames[cycle - 1]),
            cycle, 1);
    }
    grid->setColumnMinimumWidth(0, 24);
    grid->setColumnStretch(2, 1);
    return box;
}

void frm_wash_cycle::Form_Load() {
    setWindowTitle(QStringLiteral("Wash Cycle configuration"));
    const Trap trap(QStringLiteral("frm_wash_cycle : form_load"));
    for (const Moment& m : moments())
        trap.run([&] { field(m.control)->setText(Get_PIC_list_value(m.cycleField).toText()); });
}

const Moment& frm_wash_cycle::momentOf(const QLineEdit* field) const {
    for (const Moment& m : moments())
        if (m.control == field->objectName())
            return m;
    throw std::out_of_range("not a cycle field");
}

QString frm_wash_cycle::enterTarget(const QString& fieldName) const {
    const auto all = moments();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].control == fieldName)
            return all[(i + 1) % all.size()].control;
    return {};
}

bool frm_wash_cycle::keyPressed(QLineEdit* field, const QKeyEvent* event) {
    const auto typed = typedCharacter(event);
    if (!event->matches(QKeySequence::Paste)) {
        if (!typed || event->key() == Qt::Key_Backspace)
            return false;
        if (*typed >= u'1' && *typed <= QChar(u'0' + kOfferedCycles)) {
            lbl_status_->clear();
            if (choose(momentOf(field), typed->digitValue()))
                field->setText(*typed);
            return true;
        }
    }
    lbl_status_->setText(QStringLiteral("Valid range 1-3"));
    putBackTextOnEntry(field);
    return true;
}

// Every source is read before anything is written: a choice stored in part would have the
// instrument run a mixture of two cycles. The labels are read now, not when the screen
// opened: a cycle's label changed on the label screen since then is copied as it now is.
bool frm_wash_cycle::choose(const Moment& moment, int cycle) {
    std::array<Value, 2> times;
    std::array<std::optional<Value>, 2> labels;
    for (const Phase phase : kPhases) {
        const auto time = timeToCopy(cycle, phase, moment.timeCopy(phase));
        if (!time)
            return false;
        times[index(phase)] = *time;
    }
    for (const Phase phase : kPhases)
        labels[index(phase)] =
            find_label_wanted_record(kScreen, cycleSlot(cycle, phase), kLabelField);
    update_PIC_list_value(moment.cycleField, Value::text(QString::number(cycle)));
    for (const Phase phase : kPhases)
        update_PIC_list_value(moment.timeCopy(phase), times[index(phase)]);
    // A label missing or null leaves its copy as it is.
    for (const Phase phase : kPhases)
        if (const auto& label = labels[index(phase)]; label && !label->isNull())
            update_label_wanted_record(kReporting, moment.slot(phase), kLabelField, *label);
    return true;
}

QWidget* openWashCycleScreen(QWidget* owner) {
    return openLoaded<frm_wash_cycle>(owner);
}

} // namespace kr7
