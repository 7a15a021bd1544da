#include "frm_label_config.h"

#include "common_procs.h"
#include "conversions.h"
#include "errors.h"
#include "label_records.h"
#include "services.h"
#include "trap.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kr7 {

using namespace cleaning;

namespace {

// A label too long for its field cannot be written however often the write restarts; a
// few restarts, and then the error is the user's to see.
constexpr int kMultipleStepRestarts = 3;
const SlotReporting kReporting{QStringLiteral("frm_label_config"),
                               QStringLiteral("update_label_wanted_record"), kMultipleStepRestarts};

constexpr int kActionsPerColumn = 10;
constexpr int kColumnGap = 24;
constexpr int kMaxSeconds = 999;

// What a field of each column is wide enough to show, in characters.
int shownCharacters(Column column) {
    switch (column) {
    case Column::Label:
        return 18;
    case Column::Description:
        return 30;
    case Column::WashTime:
    case Column::DryTime:
        break;
    }
    return 4;
}

// A slot without a label is a damaged record: it is reported, and the load goes on without
// that label.
constexpr std::int32_t kInvalidUseOfNull = 94;
Error invalidUseOfNull() {
    return Error(kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

// A row of a grid from `column` on: its caption, which names the first field for the
// keyboard, then the fields.
void addRow(QGridLayout* grid, int row, int column, const QString& caption,
            std::initializer_list<QLineEdit*> fields) {
    grid->addWidget(captionFor(caption, *fields.begin()), row, column);
    for (QLineEdit* field : fields)
        grid->addWidget(field, row, ++column);
}

QGroupBox* groupWith(const QString& title, QLayout* layout) {
    auto* group = new QGroupBox(title);
    group->setLayout(layout);
    return group;
}

} // namespace

frm_label_config::frm_label_config(QWidget* owner)
    : EditingScreen(owner, QStringLiteral("frm_label_config")) {
    auto* heading =
        new QLabel(QStringLiteral("This screen allows you to configure what RJL code is run by "
                                  "KR7_Main"));
    heading->setObjectName(QStringLiteral("lbl_heading"));
    auto* top = new QHBoxLayout;
    top->addWidget(buildActions());
    top->addWidget(buildCopies(), 0, Qt::AlignTop);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(top);
    layout->addWidget(buildCleaning());
    layout->addStretch();
    setTabOrderAsMade();
}

QLineEdit* frm_label_config::addField(Column column, int index) {
    const LabelScreenField& f = *findLabelScreenField(fieldName(column, index));
    QLineEdit* field = makeField(f.name(), rulesOf(column).maxLength, f.accessibleName, f.toolTip);
    field->setFixedWidth(field->fontMetrics().averageCharWidth() * shownCharacters(column) + 16);
    connect(field, &QLineEdit::textEdited, this, [this, name = f.name()] { edited_.insert(name); });
    return field;
}

QWidget* frm_label_config::buildActions() {
    auto* grid = new QGridLayout;
    int place = 0;
    for (const ActionRow& a : actionRows()) {
        // Each column of actions takes a caption, a field and a gap.
        const int row = place % kActionsPerColumn;
        const int column = 3 * (place / kActionsPerColumn);
        addRow(grid, row, column, a.caption, {addField(Column::Label, a.slot)});
        ++place;
    }
    grid->setColumnMinimumWidth(2, kColumnGap);
    return groupWith(QStringLiteral("Actions"), grid);
}

QWidget* frm_label_config::buildCleaning() {
    auto* grid = new QGridLayout;
    addHeadings(grid, cleaningHeadings());
    int row = 1;
    for (const CleaningRow& r : cleaningRows()) {
        addRow(grid, row, 0, r.caption,
               {addField(Column::Label, r.washSlot), addField(Column::Label, r.drySlot),
                addField(Column::WashTime, r.timeRow), addField(Column::DryTime, r.timeRow)});
        if (r.cycle > 0)
            grid->addWidget(addField(Column::Description, r.cycle), row, 5);
        ++row;
    }
    grid->setColumnStretch(6, 1);
    return groupWith(QStringLiteral("Cleaning cycles and tubes"), grid);
}

QWidget* frm_label_config::buildCopies() {
    auto* grid = new QGridLayout;
    addHeadings(grid, cleaningHeadings().mid(0, 2));
    int row = 1;
    for (const Moment& m : moments()) {
        addRow(grid, row, 0, m.caption,
               {addField(Column::Label, m.washSlot), addField(Column::Label, m.drySlot)});
        ++row;
    }
    auto* note = new QLabel(
        QStringLiteral("Copies of the cycle chosen on the Wash Cycle configuration screen"));
    note->setWordWrap(true);
    grid->addWidget(note, row, 0, 1, -1);
    return groupWith(QStringLiteral("Cleaning cycles in use"), grid);
}

void frm_label_config::Form_Load() {
    setWindowTitle(QStringLiteral("RJL label configuration"));
    const Trap trap(QStringLiteral("frm_label_config : form_load"));
    const auto records = trap.value<std::vector<LabelRecord>>(readLabelRecords, {});
    for (const LabelRecord& record : records)
        trap.run([&] { showRecord(record); });
    for (int row = 0; row < kTimeRows; ++row)
        for (const Column column : {Column::WashTime, Column::DryTime})
            trap.run([&] {
                field(fieldName(column, row))
                    ->setText(Get_PIC_list_value(timeField(row, phaseOf(column))).toText());
            });
    edited_.clear();
}

void frm_label_config::showRecord(const LabelRecord& record) {
    QLineEdit* label = field(fieldName(Column::Label, record.slot));
    if (!label)
        return; // a slot the screen does not know
    if (const auto c = cycleOfSlot(record.slot); c && c->phase == Phase::Wash)
        field(fieldName(Column::Description, c->cycle))->setText(record.description.toText());
    if (record.label.isNull())
        throw invalidUseOfNull();
    label->setText(record.label.toText());
}

QString frm_label_config::enterTarget(const QString& fieldName) const {
    return nextOnEnter(fieldName);
}

bool frm_label_config::keyPressed(QLineEdit* field, const QKeyEvent* event) {
    if (!rulesOf(findLabelScreenField(field->objectName())->column).digitsOnly)
        return false;
    const auto typed = typedCharacter(event);
    return typed && typed->isPrint() && (*typed < u'0' || *typed > u'9');
}

void frm_label_config::escaped(QLineEdit* field) {
    edited_.remove(field->objectName());
}

void frm_label_config::left(QLineEdit* field) {
    if (!edited_.remove(field->objectName()))
        return;
    if (const auto refusal = store(*findLabelScreenField(field->objectName()), field->text()))
        refuse(field, *refusal);
}

auto frm_label_config::store(const LabelScreenField& field, const QString& text)
    -> std::optional<Refusal> {
    switch (field.column) {
    case Column::Label:
        if (text.isEmpty())
            return Refusal{QStringLiteral("Field cannot be empty"), true};
        storeLabel(field.index, text);
        break;
    case Column::Description:
        update_label_wanted_record(kReporting, cycleSlot(field.index, Phase::Wash),
                                   kDescriptionField, Value::text(text));
        break;
    case Column::WashTime:
    case Column::DryTime: {
        const double seconds = conv::roundHalfEven(conv::leadingNumber(text));
        if (seconds < 0 || seconds > kMaxSeconds)
            return Refusal{QStringLiteral("Valid range 0-999"), false};
        storeTime(field.index, phaseOf(field.column), int(seconds));
        break;
    }
    }
    return std::nullopt;
}

void frm_label_config::storeLabel(int slot, const QString& text) {
    update_label_wanted_record(kReporting, slot, kLabelField, Value::text(text));
    if (const auto c = cycleOfSlot(slot))
        for (const Moment* m : momentsRunning(c->cycle))
            update_label_wanted_record(kReporting, m->slot(c->phase), kLabelField,
                                       Value::text(text));
}

void frm_label_config::storeTime(int row, Phase phase, int seconds) {
    update_PIC_list_value(timeField(row, phase), Value::whole(seconds));
    if (row < kCycles)
        for (const Moment* m : momentsRunning(row + 1))
            update_PIC_list_value(m->timeCopy(phase), Value::whole(seconds));
}

void frm_label_config::refuse(QLineEdit* field, const Refusal& refusal) {
    putBackTextOnEntry(field);
    // The focus is still on its way to the next widget: the box waits until it has arrived,
    // and only then can the focus come back.
    QMetaObject::invokeMethod(
        this,
        [refusal, field = QPointer<QLineEdit>(field)] {
            services().prompter->ask(
                {refusal.message, kProgramTitle, Icon::Information, Buttons::Ok});
            if (refusal.keepsFocus && field)
                field->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
}

void frm_label_config::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

// The field that has the focus has not been left: its edit, and any other still pending, is
// saved here without messages; what would be refused stays unsaved.
void frm_label_config::Form_QueryUnload() {
    const Trap trap(QStringLiteral("frm_label_config : Form_QueryUnload"));
    for (const LabelScreenField& f : labelScreenFields())
        if (edited_.remove(f.name()))
            trap.run([&] { store(f, field(f.name())->text()); });
}

QWidget* openLabelConfigScreen(QWidget* owner) {
    return openLoaded<frm_label_config>(owner);
}

} // namespace kr7
