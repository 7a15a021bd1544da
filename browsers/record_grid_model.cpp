#include "record_grid_model.h"

#include "conversions.h"
#include "errors.h"
#include "row_cursor.h"
#include "sqlite_db.h"
#include "widget_colours.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

namespace kr7 {

namespace {

const QString kDatePattern = QStringLiteral("dd/mm/yy hh:mm");

QString displayText(const Value& value, const QString& pattern) {
    if (pattern.isEmpty())
        return value.toText();
    if (pattern == kDatePattern) {
        if (value.kind() == Value::Kind::Text)
            if (const auto date = conv::readDate(value.asText()))
                return conv::formatDate(*date);
        return value.toText();
    }
    return value.isNumber() ? conv::formatNumber(value.toNumber(), pattern) : value.toText();
}

// A cell's own background comes with dark text, or a dark theme's light text would not show
// on it.
QVariant colourOf(const CellLook& look, int role) {
    if (role == Qt::BackgroundRole)
        return look.background.isValid() ? QVariant(look.background) : QVariant();
    if (look.foreground.isValid())
        return look.foreground;
    return look.background.isValid() ? QVariant(kFieldText) : QVariant();
}

bool isTrue(const Value& value) {
    if (value.kind() == Value::Kind::Text)
        return value.asText().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
               (conv::isNumeric(value.asText()) && conv::leadingNumber(value.asText()) != 0);
    return value.toNumber() != 0;
}

// The form the database keeps a value in: what the grid shows must be what a fresh read
// would show.
Value storedForm(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Empty:
        return Value::text(QString());
    case Value::Kind::Date:
        return Value::text(conv::storedDateText(value.asDate()));
    case Value::Kind::YesNo:
        return Value::whole(value.asYesNo() ? 1 : 0);
    default:
        return value;
    }
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// A date in the stored form, as the date pattern shows it ("dd/mm/yy hh:mm"), straight from
// its digits; false, and nothing appended, for any other text or a date that cannot be.
bool appendStoredDate(std::string_view text, std::string& out) {
    if (!conv::isStoredDate(text))
        return false;
    const std::string_view at = text;
    for (const std::string_view piece :
         {at.substr(8, 2), std::string_view("/"), at.substr(5, 2), std::string_view("/"),
          at.substr(2, 2), std::string_view(" "), at.substr(11, 5)})
        out.append(piece);
    return true;
}

std::optional<std::int64_t> dateStamp(std::string_view text) {
    if (const auto stamp = conv::storedDateStamp(text))
        return stamp;
    const auto date = conv::readDate(qText(text));
    if (!date)
        return std::nullopt;
    return date->toString(QStringLiteral("yyyyMMddHHmmss")).toLongLong();
}

// What a cell sorts by: its kind of value first, then the value.
bool mayBeNumber(std::string_view text) {
    const auto first = std::find_if(text.begin(), text.end(), [](char c) { return c != ' '; });
    return first != text.end() &&
           ((*first >= '0' && *first <= '9') || *first == '-' || *first == '+' || *first == '.');
}

// The keys of one sort, sixteen bytes a row as a million rows make a million of them: a
// number, or a text by its place in the grid's blocks. A text beyond plain ASCII is decoded
// once here rather than at each of the twenty million comparisons of a million rows.
class SortKeys {
  public:
    explicit SortKeys(std::size_t rows) : keys_(rows) {}

    void setNumber(std::size_t row, double number) {
        keys_[row].rank = Number;
        keys_[row].number = number;
    }

    void setText(std::size_t row, std::string_view text, bool dates) {
        if (text.empty())
            return;
        if (dates)
            if (const auto stamp = dateStamp(text))
                return setNumber(row, double(*stamp));
        if (mayBeNumber(text))
            if (const QString number = qText(text); conv::isNumeric(number))
                return setNumber(row, conv::leadingNumber(number));
        Key& key = keys_[row];
        key.rank = Text;
        key.ascii = isAscii(text);
        key.length = std::uint32_t(text.size());
        if (key.ascii) {
            key.characters = text.data();
        } else {
            key.unicode = unicode_.size();
            unicode_.push_back(qText(text));
        }
    }

    // Whether row a lists before row b: empty cells last, the others in `direction`.
    bool before(int a, int b, int direction) const {
        const Key& x = keys_[std::size_t(a)];
        const Key& y = keys_[std::size_t(b)];
        if (x.rank == Empty || y.rank == Empty)
            return x.rank < y.rank;
        return compare(x, y) * direction < 0;
    }

  private:
    enum Rank : std::uint8_t { Number, Text, Empty };
    struct Key {
        Rank rank = Empty;
        bool ascii = true;
        std::uint32_t length = 0;
        union {
            double number = 0;
            const char* characters;
            std::size_t unicode;
        };
    };

    // Numbers before texts; texts ignoring case, plain ASCII folded by hand as Qt folds it.
    int compare(const Key& a, const Key& b) const {
        if (a.rank != b.rank)
            return a.rank < b.rank ? -1 : 1;
        if (a.rank == Number)
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        if (!a.ascii && !b.ascii)
            return QStringView(unicode_[a.unicode])
                .compare(unicode_[b.unicode], Qt::CaseInsensitive);
        if (!a.ascii)
            return QStringView(unicode_[a.unicode])
                .compare(QLatin1StringView(b.characters, b.length), Qt::CaseInsensitive);
        if (!b.ascii)
            return -QStringView(unicode_[b.unicode])
                        .compare(QLatin1StringView(a.characters, a.length), Qt::CaseInsensitive);
        const std::uint32_t n = std::min(a.length, b.length);
        for (std::uint32_t i = 0; i < n; ++i)
            if (const char p = asciiLower(a.characters[i]), q = asciiLower(b.characters[i]); p != q)
                return p < q ? -1 : 1;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    }

    std::vector<Key> keys_;
    std::vector<QString> unicode_;
};

} // namespace

TextSearch::TextSearch(const QString& text) : text_(text) {
    const QByteArray utf8 = text.toUtf8();
    if (isAscii({utf8.constData(), std::size_t(utf8.size())}))
        for (const char c : utf8)
            ascii_ += asciiLower(c);
}

bool TextSearch::foundIn(std::string_view utf8) const {
    if (text_.isEmpty())
        return true;
    if (!ascii_.empty() && isAscii(utf8))
        return std::search(utf8.begin(), utf8.end(), ascii_.begin(), ascii_.end(),
                           [](char x, char y) { return asciiLower(x) == y; }) != utf8.end();
    return foundIn(qText(utf8));
}

RecordGridModel::RecordGridModel(QObject* parent) : QAbstractTableModel(parent) {}

RecordGridModel::~RecordGridModel() = default;

// Runs a change of columns or rows; the view hears of it as one reset, now or when redrawing
// comes back on.
template <class F> void RecordGridModel::change(F&& mutate) {
    if (!redraw_) {
        mutate();
        return;
    }
    beginResetModel();
    try {
        mutate();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void RecordGridModel::setRedraw(bool on) {
    if (on == redraw_)
        return;
    redraw_ = on;
    if (on)
        endResetModel();
    else
        beginResetModel();
}

int RecordGridModel::scaledWidth(int originalPixels) const {
    return int(std::lround(originalPixels * widthScale_));
}

int RecordGridModel::addColumn(GridColumn column) {
    column.width = scaledWidth(column.width);
    change([&] {
        columns_.push_back(std::move(column));
        cells_.addColumn(std::size_t(rowTotal_));
    });
    return int(columns_.size()) - 1;
}

int RecordGridModel::columnIndex(QStringView key) const {
    const auto it = std::find_if(columns_.begin(), columns_.end(), [&](const GridColumn& c) {
        return c.key.compare(key, Qt::CaseInsensitive) == 0;
    });
    return it == columns_.end() ? -1 : int(it - columns_.begin());
}

void RecordGridModel::setColumnStyle(int index, const CellStyle& style) {
    columns_[std::size_t(index)].style = style;
    if (!redraw_)
        return;
    emit headerDataChanged(Qt::Horizontal, index, index);
    if (rowCount() > 0)
        emit dataChanged(this->index(0, index), this->index(rowCount() - 1, index));
}

// Widths and visibility are the view's business: a reset would lose the current cell and an
// open editor, which a window resize must not.
void RecordGridModel::setColumnWidth(int index, int width) {
    columns_[std::size_t(index)].width = width;
    emit columnLayoutChanged();
}

void RecordGridModel::setColumnVisible(int index, bool visible) {
    columns_[std::size_t(index)].visible = visible;
    emit columnLayoutChanged();
}

int RecordGridModel::visibleColumnsWidth() const {
    int sum = 0;
    for (const GridColumn& c : columns_)
        if (c.visible)
            sum += c.width;
    return sum;
}

void RecordGridModel::clearColumns() {
    change([&] {
        dropRows();
        columns_.clear();
        cells_.clear();
    });
}

void RecordGridModel::clearRows() {
    change([&] { dropRows(); });
}

void RecordGridModel::dropRows() {
    cells_.clearRows();
    rowTotal_ = 0;
    hidden_.clear();
    hiddenCount_ = 0;
    order_.clear();
    visibleRowsStale_ = true;
}

void RecordGridModel::fill(RowCursor&& rows) {
    beginFill(rows);
    while (appendRows(rows, std::numeric_limits<int>::max())) {
    }
    endFill();
}

void RecordGridModel::beginFill(const RowCursor& rows) {
    change([&] {
        dropRows();
        fieldOf_.assign(columns_.size(), -1);
        for (int field = 0; field < rows.columnCount(); ++field) {
            const QString name = rows.columnName(field);
            const int index = columnIndex(name);
            if (index >= 0) {
                fieldOf_[std::size_t(index)] = field;
                continue;
            }
            columns_.push_back(GridColumn{name, name});
            cells_.addColumn(0);
            fieldOf_.push_back(field);
        }
    });
}

// The cells go in first and the rows are announced after, so that the view is told of every
// row of a step at once.
bool RecordGridModel::appendRows(RowCursor& rows, int limit) {
    int added = 0;
    bool more = true;
    try {
        while (added < limit && (more = rows.step())) {
            for (std::size_t c = 0; c < columns_.size(); ++c)
                appendField(c, rows, fieldOf_[c]);
            ++added;
        }
    } catch (...) {
        // No row of a step that failed stays, nor a part of one.
        cells_.truncateRows(std::size_t(rowTotal_));
        throw;
    }
    if (added == 0)
        return more;
    const auto grow = [&] {
        if (!hidden_.empty())
            hidden_.resize(std::size_t(rowTotal_ + added), false);
        if (!order_.empty())
            for (int row = rowTotal_; row < rowTotal_ + added; ++row)
                order_.push_back(row);
        rowTotal_ += added;
        visibleRowsStale_ = true;
    };
    if (!redraw_ || !isIdentityView())
        change(grow);
    else {
        beginInsertRows({}, rowTotal_, rowTotal_ + added - 1);
        grow();
        endInsertRows();
    }
    return more;
}

void RecordGridModel::endFill() {
    cells_.endAppending();
    fieldOf_.clear();
}

// Takes the cell straight from the cursor's own copy: no Value and no QString per cell.
void RecordGridModel::appendField(std::size_t column, const RowCursor& rows, int field) {
    switch (field < 0 ? Value::Kind::Null : rows.columnKind(field)) {
    case Value::Kind::Whole:
        return cells_.appendWhole(column, rows.columnWhole(field));
    case Value::Kind::Floating:
        return cells_.appendFloating(column, rows.columnFloating(field));
    case Value::Kind::Text:
        return cells_.appendText(column, rows.columnUtf8(field));
    default:
        return cells_.appendNull(column);
    }
}

void RecordGridModel::putCell(std::size_t column, std::size_t row, const Value& stored) {
    switch (stored.kind()) {
    case Value::Kind::Whole:
        return cells_.setWhole(column, row, stored.asWhole());
    case Value::Kind::Floating:
        return cells_.setFloating(column, row, stored.asFloating());
    case Value::Kind::Text: {
        const QByteArray utf8 = stored.asText().toUtf8();
        return cells_.setText(column, row, {utf8.constData(), std::size_t(utf8.size())});
    }
    case Value::Kind::Null:
        return cells_.setNull(column, row);
    default:
        putCell(column, row, storedForm(stored));
    }
}

void RecordGridModel::removeGridRow(int row) {
    const int viewRow = viewRowOf(row);
    const bool announce = redraw_ && viewRow >= 0;
    if (announce)
        beginRemoveRows({}, viewRow, viewRow);
    cells_.eraseRow(std::size_t(row));
    if (!hidden_.empty()) {
        hiddenCount_ -= hidden_[std::size_t(row)] ? 1 : 0;
        hidden_.erase(hidden_.begin() + row);
    }
    if (!order_.empty()) {
        order_.erase(std::find(order_.begin(), order_.end(), row));
        for (int& listed : order_)
            listed -= listed > row ? 1 : 0;
    }
    --rowTotal_;
    visibleRowsStale_ = true;
    if (announce)
        endRemoveRows();
}

Value RecordGridModel::cellValue(int row, int column) const {
    const auto c = std::size_t(column);
    const auto r = std::size_t(row);
    switch (cells_.kind(c, r)) {
    case CellKind::Whole:
        return Value::whole(cells_.whole(c, r));
    case CellKind::Floating:
        return Value::floating(cells_.floating(c, r));
    case CellKind::Text:
        return Value::text(qText(cells_.text(c, r)));
    case CellKind::Null:
        break;
    }
    return Value::null();
}

QString RecordGridModel::cellText(int row, int column) const {
    return displayText(cellValue(row, column), this->column(column).style.pattern);
}

void RecordGridModel::appendCellUtf8(int row, int column, std::string& out) const {
    const auto c = std::size_t(column);
    const auto r = std::size_t(row);
    const QString& pattern = columns_[c].style.pattern;
    switch (cells_.kind(c, r)) {
    case CellKind::Null:
        return;
    case CellKind::Text:
        if (pattern.isEmpty())
            return void(out.append(cells_.text(c, r)));
        if (pattern == kDatePattern && appendStoredDate(cells_.text(c, r), out))
            return;
        break;
    case CellKind::Whole:
        if (pattern.isEmpty())
            return void(out.append(std::to_string(cells_.whole(c, r))));
        break;
    case CellKind::Floating:
        break;
    }
    const QByteArray utf8 = cellText(row, column).toUtf8();
    out.append(utf8.constData(), std::size_t(utf8.size()));
}

void RecordGridModel::setCellValue(int row, int column, const Value& value) {
    putCell(std::size_t(column), std::size_t(row), value);
    const int viewRow = viewRowOf(row);
    if (redraw_ && viewRow >= 0)
        emit dataChanged(index(viewRow, column), index(viewRow, column));
}

bool RecordGridModel::isRowVisible(int row) const {
    return hidden_.empty() || !hidden_[std::size_t(row)];
}

void RecordGridModel::setRowVisible(int row, bool visible) {
    if (isRowVisible(row) == visible)
        return;
    change([&] {
        hidden_.resize(std::size_t(rowTotal_), false);
        hidden_[std::size_t(row)] = !visible;
        hiddenCount_ += visible ? -1 : 1;
        visibleRowsStale_ = true;
    });
}

const std::vector<int>& RecordGridModel::visibleRows() const {
    if (visibleRowsStale_) {
        visibleRows_.clear();
        viewRows_.clear();
        if (!isIdentityView()) {
            viewRows_.assign(std::size_t(rowTotal_), -1);
            visibleRows_.reserve(std::size_t(rowTotal_ - hiddenCount_));
            for (const int row : listedRows())
                if (isRowVisible(row)) {
                    viewRows_[std::size_t(row)] = int(visibleRows_.size());
                    visibleRows_.push_back(row);
                }
        }
        visibleRowsStale_ = false;
    }
    return visibleRows_;
}

int RecordGridModel::viewRowOf(int gridRow) const {
    if (gridRow < 0 || gridRow >= rowTotal_ || !isRowVisible(gridRow))
        return -1;
    if (isIdentityView())
        return gridRow;
    visibleRows();
    return viewRows_[std::size_t(gridRow)];
}

int RecordGridModel::gridRowOf(int viewRow) const {
    if (viewRow < 0 || viewRow >= rowCount())
        return -1;
    return isIdentityView() ? viewRow : visibleRows()[std::size_t(viewRow)];
}

std::vector<int> RecordGridModel::listedRows() const {
    if (!order_.empty())
        return order_;
    std::vector<int> rows(static_cast<std::size_t>(rowTotal_));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

void RecordGridModel::sortBy(int column, Qt::SortOrder order) {
    const auto c = std::size_t(column);
    const bool dates = columns_[c].style.pattern == kDatePattern;
    SortKeys keys(static_cast<std::size_t>(rowTotal_));
    for (std::size_t row = 0; row < std::size_t(rowTotal_); ++row) {
        switch (cells_.kind(c, row)) {
        case CellKind::Whole:
            keys.setNumber(row, double(cells_.whole(c, row)));
            break;
        case CellKind::Floating:
            keys.setNumber(row, cells_.floating(c, row));
            break;
        case CellKind::Text:
            keys.setText(row, cells_.text(c, row), dates);
            break;
        case CellKind::Null:
            break;
        }
    }
    const int direction = order == Qt::AscendingOrder ? 1 : -1;
    change([&] {
        order_.resize(std::size_t(rowTotal_));
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return keys.before(a, b, direction); });
        visibleRowsStale_ = true;
    });
}

void RecordGridModel::clearSort() {
    change([&] {
        order_.clear();
        visibleRowsStale_ = true;
    });
}

bool RecordGridModel::cellContains(int row, int column, const TextSearch& search) const {
    const auto c = std::size_t(column);
    const auto r = std::size_t(row);
    if (cells_.kind(c, r) == CellKind::Text)
        return search.foundIn(cells_.text(c, r));
    return search.foundIn(cellText(row, column));
}

std::optional<std::int64_t> RecordGridModel::cellDateStamp(int row, int column) const {
    const auto c = std::size_t(column);
    const auto r = std::size_t(row);
    if (cells_.kind(c, r) != CellKind::Text)
        return std::nullopt;
    return dateStamp(cells_.text(c, r));
}

bool RecordGridModel::isCell(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rowCount() &&
           index.column() < columnCount();
}

bool RecordGridModel::canEdit(int row, int column) const {
    return editRequest_ && editRequest_(row, column);
}

bool RecordGridModel::isChecked(int row, int column) const {
    return isTrue(cellValue(row, column));
}

CellLook RecordGridModel::lookOf(int row, int column) const {
    const CellStyle& style = this->column(column).style;
    CellLook look{cellText(row, column), style.background, style.foreground};
    if (lookHook_)
        lookHook_(row, column, look);
    return look;
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return isIdentityView() ? rowTotal_ : int(visibleRows().size());
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index))
        return {};
    const int row = gridRowOf(index.row());
    const int column = index.column();
    const CellStyle& style = this->column(column).style;
    switch (role) {
    case Qt::DisplayRole:
        return style.checkBox ? QVariant() : QVariant(lookOf(row, column).text);
    case Qt::EditRole:
        return cellValue(row, column).toText();
    case Qt::CheckStateRole:
        if (!style.checkBox)
            return {};
        return isChecked(row, column) ? Qt::Checked : Qt::Unchecked;
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
        return colourOf(lookOf(row, column), role);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(style.alignment);
    default:
        return {};
    }
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole && section >= 0 && section < rowCount()
                   ? QVariant(gridRowOf(section) + 1)
                   : QVariant();
    if (section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return column(section).heading.isEmpty() ? column(section).title : column(section).heading;
    if (role == Qt::TextAlignmentRole && column(section).style.alignHeader)
        return QVariant::fromValue(column(section).style.alignment);
    return {};
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex& index) const {
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (canEdit(gridRowOf(index.row()), index.column()))
        f |= column(index.column()).style.checkBox ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

bool RecordGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!isCell(index))
        return false;
    const int row = gridRowOf(index.row());
    const int column = index.column();
    const bool checkBox = this->column(column).style.checkBox;
    if (!canEdit(row, column))
        return false;
    Value newValue;
    if (checkBox && role == Qt::CheckStateRole)
        newValue = Value::yesNo(value.toInt() == Qt::Checked);
    else if (!checkBox && role == Qt::EditRole)
        newValue = Value::text(value.toString());
    else
        return false;
    const std::optional<Value> kept =
        beforeCommit_ ? beforeCommit_(row, column, newValue) : std::optional<Value>(newValue);
    if (!kept)
        return false;
    setCellValue(row, column, *kept);
    return true;
}

} // namespace kr7
