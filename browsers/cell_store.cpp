#include "cell_store.h"

#include "errors.h"

#include <bit>
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

constexpr std::uint32_t codeOf(Tag tag, std::uint32_t payload) {
    return (std::uint32_t(tag) << kPayloadBits) | payload;
}

constexpr Tag tagOf(std::uint32_t code) {
    return Tag(code >> kPayloadBits);
}

std::size_t hashText(std::string_view utf8) {
    return std::hash<std::string_view>{}(utf8);
}

std::size_t hashWide(CellKind kind, std::uint64_t bits) {
    return std::hash<std::uint64_t>{}(bits * 0x9E3779B97F4A7C15ULL + std::uint64_t(kind));
}

} // namespace

void CellStore::addColumn(std::size_t rows) {
    columns_.emplace_back().codes.assign(rows, codeOf(NullTag, 0));
}

void CellStore::clear() {
    columns_.clear();
    clearRows();
}

void CellStore::clearRows() {
    for (Column& c : columns_)
        c = Column{};
    textBlocks_.clear();
    textIds_.clear();
    appending_ = true;
}

void CellStore::appendNull(std::size_t column) {
    columns_[column].codes.push_back(codeOf(NullTag, 0));
}

void CellStore::appendWhole(std::size_t column, std::int64_t value) {
    Column& c = columns_[column];
    c.codes.push_back(wholeCode(c, value, appending_));
}

void CellStore::appendFloating(std::size_t column, double value) {
    Column& c = columns_[column];
    c.codes.push_back(
        wideCode(c, CellKind::Floating, std::bit_cast<std::uint64_t>(value), appending_));
}

void CellStore::appendText(std::size_t column, std::string_view utf8) {
    columns_[column].codes.push_back(textCode(utf8, appending_));
}

void CellStore::endAppending() {
    appending_ = false;
    textIds_.clear();
    for (Column& c : columns_)
        c.wideIds.clear();
}

// A cell set after the rows are in gets a place of its own: edits are few.
void CellStore::setNull(std::size_t column, std::size_t row) {
    columns_[column].codes[row] = codeOf(NullTag, 0);
}

void CellStore::setWhole(std::size_t column, std::size_t row, std::int64_t value) {
    Column& c = columns_[column];
    c.codes[row] = wholeCode(c, value, false);
}

void CellStore::setFloating(std::size_t column, std::size_t row, double value) {
    Column& c = columns_[column];
    c.codes[row] = wideCode(c, CellKind::Floating, std::bit_cast<std::uint64_t>(value), false);
}

void CellStore::setText(std::size_t column, std::size_t row, std::string_view utf8) {
    columns_[column].codes[row] = textCode(utf8, false);
}

void CellStore::eraseRow(std::size_t row) {
    for (Column& c : columns_)
        c.codes.erase(c.codes.begin() + std::ptrdiff_t(row));
}

void CellStore::truncateRows(std::size_t rows) {
    for (Column& c : columns_)
        c.codes.resize(std::min(rows, c.codes.size()));
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
    const std::uint32_t cell = code(column, row);
    if (tagOf(cell) == WholeTag)
        return std::int64_t(cell & kPayloadMask) - kWholeBias;
    return std::bit_cast<std::int64_t>(columns_[column].wide[cell & kPayloadMask]);
}

double CellStore::floating(std::size_t column, std::size_t row) const {
    return std::bit_cast<double>(columns_[column].wide[code(column, row) & kPayloadMask]);
}

std::string_view CellStore::text(std::size_t column, std::size_t row) const {
    return textAt(code(column, row) & kPayloadMask);
}

std::uint32_t CellStore::wholeCode(Column& column, std::int64_t value, bool findEqual) {
    if (value >= -kWholeBias && value < kWholeBias)
        return codeOf(WholeTag, std::uint32_t(value + kWholeBias));
    return wideCode(column, CellKind::Whole, std::bit_cast<std::uint64_t>(value), findEqual);
}

std::uint32_t CellStore::wideCode(Column& column, CellKind kind, std::uint64_t bits,
                                  bool findEqual) {
    const auto add = [&] {
        if (column.wide.size() > kPayloadMask)
            throw Error(errnum::InternalError,
                        QStringLiteral("A grid column holds too many numbers to show"));
        column.wide.push_back(bits);
        column.wideKinds.push_back(kind);
        return std::uint32_t(column.wide.size() - 1);
    };
    if (!findEqual)
        return codeOf(WideTag, add());
    const std::uint32_t index = column.wideIds.findOrAdd(
        hashWide(kind, bits),
        [&](std::uint32_t i) { return column.wide[i] == bits && column.wideKinds[i] == kind; }, add,
        [&](std::uint32_t i) { return hashWide(column.wideKinds[i], column.wide[i]); });
    return codeOf(WideTag, index);
}

std::uint32_t CellStore::textCode(std::string_view utf8, bool findEqual) {
    if (!findEqual)
        return codeOf(TextTag, storeText(utf8));
    const std::uint32_t place = textIds_.findOrAdd(
        hashText(utf8), [&](std::uint32_t p) { return textAt(p) == utf8; },
        [&] { return storeText(utf8); }, [&](std::uint32_t p) { return hashText(textAt(p)); });
    return codeOf(TextTag, place);
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
