#include "row_cursor.h"

#include <bit>
#include <cmath>

namespace kr7 {

namespace {

// Least significant byte first, whatever the machine: the central database compares keys
// made on every instrument's PC.
void appendBits(QByteArray& key, std::uint64_t bits) {
    char bytes[8];
    for (char& byte : bytes) {
        byte = char(bits & 0xFF);
        bits >>= 8;
    }
    key.append(bytes, sizeof bytes);
}

} // namespace

std::optional<std::int64_t> wholeValue(double number) {
    if (std::trunc(number) != number || std::abs(number) >= 9.2e18)
        return std::nullopt;
    return std::int64_t(number);
}

void appendUnionKey(QByteArray& key, const RowCursor& row, int field) {
    switch (row.columnKind(field)) {
    case Value::Kind::Null:
        key.append('N');
        return;
    case Value::Kind::Whole:
        key.append('I');
        return appendBits(key, std::uint64_t(row.columnWhole(field)));
    case Value::Kind::Floating: {
        const double number = row.columnFloating(field);
        const auto whole = wholeValue(number);
        key.append(whole ? 'I' : 'R');
        return appendBits(key,
                          whole ? std::uint64_t(*whole) : std::bit_cast<std::uint64_t>(number));
    }
    default: {
        const std::string_view text = row.columnUtf8(field);
        key.append('T');
        appendBits(key, text.size());
        key.append(text.data(), qsizetype(text.size()));
    }
    }
}

} // namespace kr7
