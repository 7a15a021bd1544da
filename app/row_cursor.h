#pragma once

#include "value.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kr7 {

// Rows read one after the other, cell by cell, without a Value or a QString per cell: what the
// grids fill from, whether the rows come from the shared file or from the central database.
class RowCursor {
  public:
    virtual ~RowCursor() = default;

    // Moves to the next row; false when there is none left.
    virtual bool step() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    // Null, Whole, Floating or Text.
    virtual Value::Kind columnKind(int index) const = 0;
    virtual std::int64_t columnWhole(int index) const = 0;
    virtual double columnFloating(int index) const = 0;
    // A text cell's UTF-8 bytes, valid until the next step.
    virtual std::string_view columnUtf8(int index) const = 0;
};

// The whole number a floating one stands for when SQLite's UNION compares them (1.0 is 1).
std::optional<std::int64_t> wholeValue(double number);

// A cell as SQLite's UNION compares it, appended to `key`: nulls, numbers and texts kept
// apart, a floating number with a whole value written as that whole number. Rows with equal
// keys are one result, to the browser's query and to the central database alike.
void appendUnionKey(QByteArray& key, const RowCursor& row, int field);

} // namespace kr7
