#include "label_config_fields.h"

#include <QHash>
#include <array>

namespace kr7::cleaning {

namespace {

const QString kEnterLabelTip = QStringLiteral("Enter the RJL label to call up for this action");

std::vector<LabelScreenField> buildFields() {
    std::vector<LabelScreenField> fields;
    for (const ActionRow& a : actionRows())
        fields.push_back({Column::Label, a.slot, a.caption,
                          a.slot == 1 || a.slot == 2 ? kEnterLabelTip : QString()});
    const QStringList& headings = cleaningHeadings();
    const auto named = [](const QString& row, const QString& heading) {
        return row + QStringLiteral(", ") + heading;
    };
    for (const CleaningRow& r : cleaningRows()) {
        fields.push_back({Column::Label, r.washSlot, named(r.caption, headings[0])});
        fields.push_back({Column::Label, r.drySlot, named(r.caption, headings[1])});
        fields.push_back({Column::WashTime, r.timeRow, named(r.caption, headings[2])});
        fields.push_back({Column::DryTime, r.timeRow, named(r.caption, headings[3])});
        if (r.cycle > 0)
            fields.push_back(
                {Column::Description, r.cycle, named(r.caption, descriptionColumnName())});
    }
    for (const Moment& m : moments())
        for (const Phase phase : kPhases)
            fields.push_back({Column::Label, m.slot(phase),
                              named(m.caption, headings[phase == Phase::Wash ? 0 : 1])});
    return fields;
}

QString label(int slot) {
    return fieldName(Column::Label, slot);
}

QString description(int cycle) {
    return fieldName(Column::Description, cycle);
}

// Enter walks each sequence and goes from its last field to `then`.
struct EnterSequence {
    QStringList fields;
    QString then;
};

// The actions, then each cycle's row (wash label, dry label, description), then the enzyme,
// steriliser and water labels, and round to the first action again. The times run down
// their columns into the cycles.
std::vector<EnterSequence> buildEnterSequences() {
    EnterSequence ring;
    for (const int slot : {1, 2, 3, 4, 6, 8, 9, 10, 11, 7, 20, 14, 17, 23, 12, 13, 32, 5})
        ring.fields << label(slot);
    for (int cycle = 1; cycle <= kCycles; ++cycle)
        ring.fields << label(cycleSlot(cycle, Phase::Wash)) << label(cycleSlot(cycle, Phase::Dry))
                    << description(cycle);
    for (const int slot : {21, 22, 15, 16, 18, 19})
        ring.fields << label(slot);
    ring.then = ring.fields.front();
    EnterSequence washTimes{{}, label(cycleSlot(1, Phase::Dry))};
    EnterSequence dryTimes{{}, description(1)};
    for (int row = 0; row < kTimeRows; ++row) {
        washTimes.fields << fieldName(Column::WashTime, row);
        dryTimes.fields << fieldName(Column::DryTime, row);
    }
    return {ring, washTimes, dryTimes};
}

QHash<QString, QString> buildEnterTargets() {
    QHash<QString, QString> targets;
    for (const EnterSequence& s : buildEnterSequences())
        for (qsizetype i = 0; i < s.fields.size(); ++i)
            targets.insert(s.fields[i], i + 1 < s.fields.size() ? s.fields[i + 1] : s.then);
    return targets;
}

} // namespace

const ColumnRules& rulesOf(Column column) {
    static const std::array<ColumnRules, 4> rules = {{
        {"txt_label", 50, false},
        {"txt_desc", 50, false},
        {"txt_wash_time", 3, true},
        {"txt_dry_time", 3, true},
    }};
    return rules[std::size_t(column)];
}

QString fieldName(Column column, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(rulesOf(column).array)).arg(index);
}

Phase phaseOf(Column timeColumn) {
    return timeColumn == Column::DryTime ? Phase::Dry : Phase::Wash;
}

std::span<const ActionRow> actionRows() {
    static const std::array<ActionRow, 20> rows = {{
        {1, QStringLiteral("Turn pumps on")},
        {2, QStringLiteral("Turn pumps off")},
        {3, QStringLiteral("Turn OPTOs on")},
        {4, QStringLiteral("Turn OPTOs off")},
        {6, QStringLiteral("Get barcode")},
        {8, QStringLiteral("Move to OS1")},
        {9, QStringLiteral("Move to OS2")},
        {10, QStringLiteral("Heating")},
        {11, QStringLiteral("Get runtime")},
        {7, QStringLiteral("Check OPTOs clear")},
        {20, QStringLiteral("Enzyme suck")},
        {14, QStringLiteral("Drain Steriliser")},
        {17, QStringLiteral("Drain Water")},
        {23, QStringLiteral("Drain calibrant")},
        {12, QStringLiteral("Wait for washpot up")},
        {13, QStringLiteral("Wait for washpot down")},
        {32, QStringLiteral("Equalise pressure")},
        {5, QStringLiteral("Stop all pumps and valves")},
        {26, QStringLiteral("Slot 26")},
        {27, QStringLiteral("Slot 27")},
    }};
    return rows;
}

std::span<const CleaningRow> cleaningRows() {
    static const auto rows = [] {
        std::vector<CleaningRow> r;
        for (int cycle = 1; cycle <= kCycles; ++cycle)
            r.push_back({QStringLiteral("Cycle %1").arg(cycle), cycleSlot(cycle, Phase::Wash),
                         cycleSlot(cycle, Phase::Dry), cycle - 1, cycle});
        r.push_back({QStringLiteral("Enzyme"), 21, 22, 5, 0});
        r.push_back({QStringLiteral("Steriliser"), 15, 16, 6, 0});
        r.push_back({QStringLiteral("Water"), 18, 19, 7, 0});
        return r;
    }();
    return rows;
}

const QStringList& cleaningHeadings() {
    static const QStringList headings = {
        QStringLiteral("Wash Cycle"), QStringLiteral("Dry Cycle"),
        QStringLiteral("Wash time (secs)"), QStringLiteral("Dry time (secs)"),
        QStringLiteral("User Descriptions (clear to prevent user seeing them)")};
    return headings;
}

QString descriptionColumnName() {
    return QStringLiteral("User Descriptions");
}

const std::vector<LabelScreenField>& labelScreenFields() {
    static const std::vector<LabelScreenField> fields = buildFields();
    return fields;
}

const LabelScreenField* findLabelScreenField(const QString& name) {
    static const auto byName = [] {
        QHash<QString, const LabelScreenField*> index;
        for (const LabelScreenField& f : labelScreenFields())
            index.insert(f.name(), &f);
        return index;
    }();
    return byName.value(name);
}

QString nextOnEnter(const QString& fieldName) {
    static const QHash<QString, QString> targets = buildEnterTargets();
    return targets.value(fieldName);
}

} // namespace kr7::cleaning
