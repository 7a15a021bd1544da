#pragma once

#include "value.h"

#include <QString>
#include <cstdint>
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

} // namespace kr7
