#include "cell_store.h"

#include "errors.h"

#include <bit>
#include <cstring>
#include <functional>

namespace kr7 {

namespace {

// A code's top two bits say what its other thirty hold.
enum Tag : std::uint32_t { NullTag = 0, WholeTag = 1, TextTag = 2, WideTag = 3 };
constexpr int kPayloadBits = 30;
constexpr std::uint32_t kPayloadMask = (std::uint32_t(1) << kPayloadBits) - 1;
constexpr std::int64_t kWholeBias = std::int64_t(1) << (kPayloadBits - 1);

// A text's place: its block in the high bits, its offset in the block in the low 20. It is
// stored after its length (seven bits a byte, the high bit saying that more follow), and a
// text longer than a block gets a block of its own.
constexpr int kOffsetBits = 20;
constexpr std::size_t kBlockSize = std::size_t(1) << kOffsetBits;
constexpr std::uint32_t kOffsetMask = kBlockSize - 1;
constexpr std::size_t kMaxBlocks = std::size_t(1) << (kPayloadBits - kOffsetBits);

// Beyond this many distinct values a column keeps its codes: numbers into its list would no
// longer be smaller than them. A column whose values are mostly distinct from its first rows
// on (barcodes, times) keeps them sooner, rather than look each up in vain.
constexpr std::size_t kMaxDistinct = 65536;
constexpr std::size_t kMostlyDistinctAfter = 4096;

bool tooManyDistinct(std::size_t distinct, std::size_t rows) {
    return distinct > kMaxDistinct || (distinct > kMostlyDistinctAfter && distinct * 2 > rows);
}

constexpr std::uint32_t tagged(Tag tag, std::uint32_t payload) {
    return (std::uint32_t(tag) << kPayloadBits) | payload;
}

constexpr Tag tagOf(std::uint32_t code) {
    return Tag(code >> kPayloadBits);
}

bool fitsInCode(std::int64_t value) {
    return value >= -kWholeBias && value < kWholeBias;
}

} // namespace

// A number's low bytes come first in memory on every machine this is built for, so that a
// narrow one is the start of its four bytes.
static_assert(std::endian::native == std::endian::little);

void PackedNumbers::set(std::size_t i, std::uint32_t value) {
    if (value > maxValue_)
        widen(value);
    std::memcpy(bytes_.data() + i * width_, &value, width_);
}

void PackedNumbers::erase(std::size_t i) {
    const auto at = bytes_.begin() + std::ptrdiff_t(i * width_);
    bytes_.erase(at, at + std::ptrdiff_t(width_));
}

void PackedNumbers::truncate(std::size_t n) {
    bytes_.resize(std::min(n, size()) * width_);
}

void PackedNumbers::assign(std::size_t n, std::uint32_t value) {
    *this = PackedNumbers{};
    if (value > maxValue_)
        widen(value);
    bytes_.resize(n * width_);
    for (std::size_t i = 0; i < n; ++i)
        set(i, value);
}

void PackedNumbers::widen(std::uint32_t value) {
    const std::size_t needed = value <= 0xFF ? 1 : (value <= 0xFFFF ? 2 : 4);
    if (needed <= width_)
        return;
    const std::size_t count = size();
    PackedNumbers wider;
    wider.width_ = needed;
    wider.maxValue_ = needed == 2 ? 0xFFFF : 0xFFFFFFFF;
    wider.bytes_.reserve(std::max(count * needed, bytes_.capacity() / width_ * needed));
    wider.bytes_.resize(count * needed);
    for (std::size_t i = 0; i < count; ++i)
        wider.set(i, at(i));
    *this = std::move(wider);
}

void CellStore::addColumn(std::size_t rows) {
    Column& column = columns_.emplace_back();
    column.distinct.push_back(tagged(NullTag, 0));
    column.cells.assign(rows, 0);
}

void CellStore::clear() {
    columns_.clear();
    clearRows();
}

void CellStore::clearRows() {
    for (Column& c : columns_) {
        c = Column{};
        c.distinct.push_back(tagged(NullTag, 0));
    }
    textBlocks_.clear();
    appending_ = true;
}

void CellStore::appendNull(std::size_t column) {
    append(column, {CellKind::Null});
}

void CellStore::appendWhole(std::size_t column, std::int64_t value) {
    append(column, {CellKind::Whole, std::bit_cast<std::uint64_t>(value)});
}

void CellStore::appendFloating(std::size_t column, double value) {
    append(column, {CellKind::Floating, std::bit_cast<std::uint64_t>(value)});
}

void CellStore::appendText(std::size_t column, std::string_view utf8) {
    append(column, {CellKind::Text, 0, utf8});
}

void CellStore::endAppending() {
    appending_ = false;
    for (Column& c : columns_)
        c.distinctIds.clear();
}

void CellStore::setNull(std::size_t column, std::size_t row) {
    set(column, row, {CellKind::Null});
}

void CellStore::setWhole(std::size_t column, std::size_t row, std::int64_t value) {
    set(column, row, {CellKind::Whole, std::bit_cast<std::uint64_t>(value)});
}

void CellStore::setFloating(std::size_t column, std::size_t row, double value) {
    set(column, row, {CellKind::Floating, std::bit_cast<std::uint64_t>(value)});
}

void CellStore::setText(std::size_t column, std::size_t row, std::string_view utf8) {
    set(column, row, {CellKind::Text, 0, utf8});
}

void CellStore::eraseRow(std::size_t row) {
    for (Column& c : columns_)
        c.cells.erase(row);
}

void CellStore::truncateRows(std::size_t rows) {
    for (Column& c : columns_)
        c.cells.truncate(rows);
}

CellKind CellStore::kind(std::size_t column, std::size_t row) const {
    const std::uint32_t cell = code(column, row);
    switch (tagOf(cell)) {
    case WholeTag:
        return CellKind::Whole;
    case TextTag:
        return CellKind::Text;
    case WideTag:
        return columns_[column].wideKinds[cell & kPayloadMask];
    default:
        return CellKind::Null;
    }
}

std::int64_t CellStore::whole(std::size_t column, std::size_t row) const {
    return std::bit_cast<std::int64_t>(valueOf(columns_[column], code(column, row)).bits);
}

double CellStore::floating(std::size_t column, std::size_t row) const {
    return std::bit_cast<double>(valueOf(columns_[column], code(column, row)).bits);
}

std::string_view CellStore::text(std::size_t column, std::size_t row) const {
    return textAt(code(column, row) & kPayloadMask);
}

std::uint32_t CellStore::code(std::size_t column, std::size_t row) const {
    const Column& c = columns_[column];
    const std::uint32_t cell = c.cells.at(row);
    return c.holdsCodes() ? cell : c.distinct[cell];
}

void CellStore::append(std::size_t column, const Incoming& value) {
    Column& c = columns_[column];
    c.cells.push_back(cellFor(c, value, appending_));
}

// A cell set after the rows are in gets a value of its own: edits are few.
void CellStore::set(std::size_t column, std::size_t row, const Incoming& value) {
    Column& c = columns_[column];
    c.cells.set(row, cellFor(c, value, false));
}

std::uint32_t CellStore::cellFor(Column& column, const Incoming& value, bool findEqual) {
    if (column.holdsCodes())
        return codeOf(column, value);
    const auto hashOf = [](const Incoming& v) {
        return v.kind == CellKind::Text
                   ? std::hash<std::string_view>{}(v.text)
                   : std::hash<std::uint64_t>{}(v.bits * 0x9E3779B97F4A7C15ULL +
                                                std::uint64_t(v.kind));
    };
    const auto add = [&] {
        column.distinct.push_back(codeOf(column, value));
        return std::uint32_t(column.distinct.size() - 1);
    };
    const std::uint32_t index =
        findEqual
            ? column.distinctIds.findOrAdd(
                  hashOf(value),
                  [&](std::uint32_t i) {
                      const Incoming known = valueOf(column, column.distinct[i]);
                      return known.kind == value.kind && known.bits == value.bits &&
                             known.text == value.text;
                  },
                  add, [&](std::uint32_t i) { return hashOf(valueOf(column, column.distinct[i])); })
            : add();
    if (!tooManyDistinct(column.distinct.size(), column.cells.size()))
        return index;
    const std::uint32_t code = column.distinct[index];
    switchToCodes(column);
    return code;
}

// The column has too many distinct values for numbers into their list to pay: its cells become
// the codes themselves.
void CellStore::switchToCodes(Column& column) {
    PackedNumbers codes;
    for (std::size_t row = 0; row < column.cells.size(); ++row)
        codes.push_back(column.distinct[column.cells.at(row)]);
    column.cells = std::move(codes);
    column.distinct = {};
    column.distinctIds.clear();
}

std::uint32_t CellStore::codeOf(Column& column, const Incoming& value) {
    switch (value.kind) {
    case CellKind::Null:
        return tagged(NullTag, 0);
    case CellKind::Text:
        return tagged(TextTag, storeText(value.text));
    case CellKind::Whole:
        if (const auto whole = std::bit_cast<std::int64_t>(value.bits); fitsInCode(whole))
            return tagged(WholeTag, std::uint32_t(whole + kWholeBias));
        break;
    case CellKind::Floating:
        break;
    }
    if (column.wide.size() > kPayloadMask)
        throw Error(errnum::InternalError,
                    QStringLiteral("A grid column holds too many numbers to show"));
    column.wide.push_back(value.bits);
    column.wideKinds.push_back(value.kind);
    return tagged(WideTag, std::uint32_t(column.wide.size() - 1));
}

CellStore::Incoming CellStore::valueOf(const Column& column, std::uint32_t code) const {
    const std::uint32_t payload = code & kPayloadMask;
    switch (tagOf(code)) {
    case WholeTag:
        return {CellKind::Whole, std::bit_cast<std::uint64_t>(std::int64_t(payload) - kWholeBias)};
    case TextTag:
        return {CellKind::Text, 0, textAt(payload)};
    case WideTag:
        return {column.wideKinds[payload], column.wide[payload]};
    default:
        return {CellKind::Null};
    }
}

std::uint32_t CellStore::storeText(std::string_view utf8) {
    char length[10];
    std::size_t lengthBytes = 0;
    for (std::size_t n = utf8.size();; n >>= 7) {
        length[lengthBytes++] = char((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
        if (n <= 0x7F)
            break;
    }
    const std::size_t needed = lengthBytes + utf8.size();
    if (textBlocks_.empty() || textBlocks_.back().size() + needed > kBlockSize) {
        if (textBlocks_.size() == kMaxBlocks)
            throw Error(errnum::InternalError,
                        QStringLiteral("The grid holds too much text to show"));
        textBlocks_.emplace_back().reserve(std::max(kBlockSize, needed));
    }
    std::vector<char>& block = textBlocks_.back();
    const auto offset = std::uint32_t(block.size());
    block.insert(block.end(), length, length + lengthBytes);
    block.insert(block.end(), utf8.begin(), utf8.end());
    return (std::uint32_t(textBlocks_.size() - 1) << kOffsetBits) | offset;
}

std::string_view CellStore::textAt(std::uint32_t place) const {
    const std::vector<char>& block = textBlocks_[place >> kOffsetBits];
    std::size_t at = place & kOffsetMask;
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = std::uint8_t(block[at++]);
        length |= std::size_t(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return {block.data() + at, length};
}

} // namespace kr7
