#pragma once

#include "value.h"

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

// What the record screens share: the original's twips, and the check every cell edit
// passes before anything is written.
namespace kr7 {

// The background of the cells a user may change.
inline const QColor kEditablePaleGreen{204, 255, 204};

// How many records the table holds now.
int recordCount(const QString& table);

// Twips (1/1440 inch) of the original's layout per pixel of the widget's screen: 15 at 96
// dots per inch with the original's font, fewer as the widget's font runs wider, so that
// sizes made for the original's text grow with ours.
double twipsPerPixel(const QWidget* widget);

class RecordGridView;

// Opens the window `width` pixels wide and tall enough for the column titles and `rows` rows
// of its grid, 5 to 20 of them; the grid never gets smaller than 5 rows.
void sizeForRows(QWidget* window, RecordGridView* grid, int width, int rows);

// The edited value fitted to its field, or nothing when it is the value the cell already
// holds, or one the field cannot take (refused before writing, with a beep: a write that
// can only fail must not be offered for Retry).
std::optional<Value> changedValue(const QString& table, const QString& field, const Value& current,
                                  const Value& newValue);

} // namespace kr7
