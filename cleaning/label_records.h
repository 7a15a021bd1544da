#pragma once

#include "value.h"

#include <QString>
#include <optional>
#include <vector>

// The records of T_Labels_wanted, one per slot (LN_01), as the cleaning screens read and
// write them. Every search binds its slot number; every write is its own short transaction.
namespace kr7::cleaning {

inline const QString kLabelField = QStringLiteral("LN_03");
inline const QString kDescriptionField = QStringLiteral("LN_04");

// How a screen reports its slot writes.
struct SlotReporting {
    QString screen;   // names the screen in the missing-slot report
    QString trapName; // the name any other error of the write is reported under
    // How often a write that meets the multiple-step error starts again, unreported, before
    // that error is reported like any other.
    int multipleStepRetries = 0;
};

// Writes one field of one slot record. A slot without a record is reported
// ("<screen> : update_label_wanted_record <slot> missing") and nothing is written; any other
// error goes to the reporting's trap, whose Retry writes again.
void update_label_wanted_record(const SlotReporting& reporting, int slot, const QString& field,
                                const Value& value);

// One field of one slot record, a null staying null; nothing, after the missing-slot report
// "<screen> : find_label_wanted_record : <slot> missing", when the slot has no record.
std::optional<Value> find_label_wanted_record(const QString& screen, int slot,
                                              const QString& field);

struct LabelRecord {
    int slot;
    Value label;       // a null stays null: the screen decides what it means
    Value description; // null as the empty text
};

// Every record, in the table's own order. The statement is finished before this returns.
std::vector<LabelRecord> readLabelRecords();

} // namespace kr7::cleaning
