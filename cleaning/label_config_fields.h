#pragma once

#include "cleaning_cycles.h"

#include <QString>
#include <QStringList>
#include <span>
#include <vector>

// The label screen described as data: its rows, its fields and where Enter moves the focus.
// Building the screen, loading it, committing a field and the close-time save walk these.
namespace kr7::cleaning {

// The four kinds of field, each a control array: the label of a slot, the
// description of a cycle and the wash and dry seconds of a time row.
enum class Column { Label, Description, WashTime, DryTime };

struct ColumnRules {
    const char* array; // the control array: objectNames are "txt_label(33)"
    int maxLength;
    bool digitsOnly;
};
const ColumnRules& rulesOf(Column column);

QString fieldName(Column column, int index);
// The phase whose seconds a time column holds.
Phase phaseOf(Column timeColumn);

// An action and the slot of its label.
struct ActionRow {
    int slot;
    QString caption;
};
// In the order they stand on the screen.
std::span<const ActionRow> actionRows();

// A row of the cleaning grid: a cycle, or one of the enzyme, steriliser and water tubes.
struct CleaningRow {
    QString caption;
    int washSlot;
    int drySlot;
    int timeRow;
    int cycle; // 0 for the tubes, which have no description
};
std::span<const CleaningRow> cleaningRows();

// The grid's column headings, in the order of its fields.
const QStringList& cleaningHeadings();
// A description's accessible name says only the heading's first words.
QString descriptionColumnName();

// One field of the screen.
struct LabelScreenField {
    Column column;
    int index; // slot, cycle or time row
    QString accessibleName;
    QString toolTip;

    QString name() const { return fieldName(column, index); }
};
// Every field, in layout order: the actions, the cleaning grid row by row, then the copies
// that the chosen cycles feed.
const std::vector<LabelScreenField>& labelScreenFields();
const LabelScreenField* findLabelScreenField(const QString& name);

// Where Enter moves the focus from a field; empty for the fields outside the Enter order
// (the copies and the two slots of their own), from which it moves as Tab does.
QString nextOnEnter(const QString& fieldName);

} // namespace kr7::cleaning
