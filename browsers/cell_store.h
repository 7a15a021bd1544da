#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kr7 {

enum class CellKind : std::uint8_t { Null, Whole, Floating, Text };

// The numbers of entries kept elsewhere, found again by their value: an open-addressing table
// of 32-bit numbers, four bytes a slot, where a hash map would spend forty bytes an entry.
class IdTable {
  public:
    // The entry equal to the one looked for, or the one `make` adds.
    template <class Equal, class Make, class HashOf>
    std::uint32_t findOrAdd(std::size_t hash, Equal&& equal, Make&& make, HashOf&& hashOf) {
        if ((count_ + 1) * 2 > slots_.size())
            grow(hashOf);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            if (slots_[i] == kFree) {
                ++count_;
                return slots_[i] = make();
            }
            if (equal(slots_[i]))
                return slots_[i];
        }
    }
    void clear() {
        slots_ = {};
        count_ = 0;
    }

  private:
    static constexpr std::uint32_t kFree = ~std::uint32_t(0);

    template <class HashOf> void grow(HashOf&& hashOf) {
        std::vector<std::uint32_t> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(64, old.size() * 2), kFree);
        const std::size_t mask = slots_.size() - 1;
        for (const std::uint32_t id : old) {
            if (id == kFree)
                continue;
            std::size_t i = hashOf(id) & mask;
            while (slots_[i] != kFree)
                i = (i + 1) & mask;
            slots_[i] = id;
        }
    }

    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
};

// Whole numbers below 2^32 in as few bytes each as the largest of them needs (one, two or four),
// widened when a larger one comes.
class PackedNumbers {
  public:
    std::size_t size() const { return bytes_.size() / width_; }
    std::uint32_t at(std::size_t i) const {
        std::uint32_t value = 0; // the low bytes first, as on every machine this runs on
        std::memcpy(&value, bytes_.data() + i * width_, width_);
        return value;
    }
    void set(std::size_t i, std::uint32_t value);
    void push_back(std::uint32_t value) {
        if (value > maxValue_)
            widen(value);
        const std::size_t end = bytes_.size();
        bytes_.resize(end + width_);
        std::memcpy(bytes_.data() + end, &value, width_);
    }
    void erase(std::size_t i);
    void truncate(std::size_t n);
    void assign(std::size_t n, std::uint32_t value);

  private:
    void widen(std::uint32_t value);

    std::vector<std::uint8_t> bytes_;
    std::size_t width_ = 1;
    std::uint32_t maxValue_ = 0xFF;
};

// The cells of a grid, column by column. A cell's code takes four bytes: a null, a whole number
// of up to 30 bits, the place of a text in blocks of UTF-8 shared by the whole grid, or the
// number of a wider number in its column's own list. A column of few distinct values (names,
// initials, notes, limits, record types: most of a results grid) keeps each value once and a
// cell is then its number in the column's list, one or two bytes; a column of nearly unique
// values (barcodes, times) keeps the codes themselves.
class CellStore {
  public:
    void addColumn(std::size_t rows); // of nulls
    void clear();
    void clearRows();

    void appendNull(std::size_t column);
    void appendWhole(std::size_t column, std::int64_t value);
    void appendFloating(std::size_t column, double value);
    void appendText(std::size_t column, std::string_view utf8);
    // The values appended so far need not be found again: frees what finding them takes.
    void endAppending();

    void setNull(std::size_t column, std::size_t row);
    void setWhole(std::size_t column, std::size_t row, std::int64_t value);
    void setFloating(std::size_t column, std::size_t row, double value);
    void setText(std::size_t column, std::size_t row, std::string_view utf8);
    void eraseRow(std::size_t row);
    void truncateRows(std::size_t rows);

    CellKind kind(std::size_t column, std::size_t row) const;
    std::int64_t whole(std::size_t column, std::size_t row) const;
    double floating(std::size_t column, std::size_t row) const;
    std::string_view text(std::size_t column, std::size_t row) const;

  private:
    struct Incoming {
        CellKind kind;
        std::uint64_t bits = 0; // of a whole or floating number
        std::string_view text{};
    };
    struct Column {
        PackedNumbers cells; // codes, or numbers in `distinct`
        // The codes of the values while they are few enough (the first is the null's); empty
        // once the cells are the codes themselves.
        std::vector<std::uint32_t> distinct;
        IdTable distinctIds;
        bool holdsCodes() const { return distinct.empty(); }
        std::vector<std::uint64_t> wide; // whole numbers and floating ones, by their bits
        std::vector<CellKind> wideKinds;
    };

    void append(std::size_t column, const Incoming& value);
    void set(std::size_t column, std::size_t row, const Incoming& value);
    std::uint32_t cellFor(Column& column, const Incoming& value, bool findEqual);
    void switchToCodes(Column& column);
    std::uint32_t codeOf(Column& column, const Incoming& value);
    Incoming valueOf(const Column& column, std::uint32_t code) const;
    std::uint32_t storeText(std::string_view utf8);
    std::string_view textAt(std::uint32_t place) const;
    std::uint32_t code(std::size_t column, std::size_t row) const;

    std::vector<Column> columns_;
    // Filled one after the other and never moved, so that a growing grid never holds two
    // copies of its texts.
    std::vector<std::vector<char>> textBlocks_;
    bool appending_ = true;
};

} // namespace kr7
