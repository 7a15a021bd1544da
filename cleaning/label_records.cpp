#include "label_records.h"

#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "schema.h"
#include "trap.h"

namespace kr7::cleaning {

namespace {

const schema::Column& labelsColumn(const QString& field) {
    return store::columnOf(schema::Labels_wanted, field);
}

QString missingSlotText(const QString& screen, const QString& procedure, int slot) {
    return screen + QStringLiteral(" : ") + procedure + conv::strNumber(slot) +
           QStringLiteral(" missing");
}

// The first record of the slot gets the value; false when the slot has no record.
bool writeSlot(int slot, const schema::Column& column, const Value& value) {
    return store::change(Get_connection(), [&](store::Changes& changes) {
        const store::Record record{schema::Labels_wanted,
                                   {{QStringLiteral("LN_01"), Value::whole(slot)}}};
        if (!changes.exists(record))
            return false;
        changes.setField(record, column.name, value);
        return true;
    });
}

// Starts the write again, without a report, while it meets the multiple-step error and
// restarts remain; then lets the error rise.
bool writeSlotRestarting(int slot, const schema::Column& column, const Value& value, int restarts) {
    for (;;) {
        try {
            return writeSlot(slot, column, value);
        } catch (const Error& e) {
            if (e.number() != errnum::MultipleStep || restarts-- <= 0)
                throw;
        }
    }
}

} // namespace

void update_label_wanted_record(const SlotReporting& reporting, int slot, const QString& field,
                                const Value& value) {
    const schema::Column& column = labelsColumn(field);
    bool found = true;
    Trap(reporting.trapName).run([&] {
        found = writeSlotRestarting(slot, column, value, reporting.multipleStepRetries);
    });
    if (!found)
        Report_error(
            missingSlotText(reporting.screen, QStringLiteral("update_label_wanted_record "), slot));
}

std::optional<Value> find_label_wanted_record(const QString& screen, int slot,
                                              const QString& field) {
    const schema::Column& column = labelsColumn(field);
    auto select =
        Get_connection().prepare(QStringLiteral("SELECT \"%1\" FROM T_Labels_wanted WHERE LN_01 = "
                                                "?1 ORDER BY rowid LIMIT 1")
                                     .arg(column.name));
    select.bind(1, Value::whole(slot));
    if (!select.step()) {
        Report_error(missingSlotText(screen, QStringLiteral("find_label_wanted_record : "), slot));
        return std::nullopt;
    }
    return store::fromStored(column, select.column(0));
}

std::vector<LabelRecord> readLabelRecords() {
    const schema::Column& label = labelsColumn(kLabelField);
    const schema::Column& description = labelsColumn(kDescriptionField);
    auto select = Get_connection().prepare(
        QStringLiteral("SELECT LN_01, LN_03, LN_04 FROM T_Labels_wanted ORDER BY rowid"));
    std::vector<LabelRecord> records;
    while (select.step())
        records.push_back({int(select.column(0).toNumber()),
                           store::fromStored(label, select.column(1)),
                           Value::text(store::fromStored(description, select.column(2)).toText())});
    return records;
}

} // namespace kr7::cleaning
