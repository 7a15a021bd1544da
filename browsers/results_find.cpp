#include "results_find.h"

#include "conversions.h"
#include "record_grid_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <algorithm>
#include <array>

namespace kr7 {

namespace {

// The columns the find's text is looked for in.
constexpr std::array<const char16_t*, 5> kSearchedKeys = {u"BARCODE", u"PATIENT_NAME", u"LIMS_STR",
                                                          u"USER_NOTES", u"SYSTEM_NOTES"};
const QString kDateKey = QStringLiteral("DATE_TESTED");
const QString kDateTip = QStringLiteral("Enter a date as DD/MM/YY");

QLineEdit* field(const char* name, const QString& accessibleName, int widthInLetters) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->setMaximumWidth(edit->fontMetrics().averageCharWidth() * widthInLetters);
    return edit;
}

void markField(QLineEdit* edit, bool wrong) {
    edit->setStyleSheet(wrong ? QStringLiteral("QLineEdit { background: rgb(255, 0, 0); "
                                               "color: white; }")
                              : QString());
    edit->setToolTip(wrong ? kDateTip : QString());
}

QString thousands(std::size_t count) {
    return conv::formatNumber(double(count), u"#,###");
}

} // namespace

ResultsFindBar::ResultsFindBar(RecordGridView* grid, QWidget* parent)
    : QWidget(parent), grid_(grid), text_(field("txt_find", QStringLiteral("Find"), 30)),
      from_(field("txt_tested_from", QStringLiteral("Tested from"), 11)),
      to_(field("txt_tested_to", QStringLiteral("Tested to"), 11)), status_(new QLabel) {
    status_->setObjectName(QStringLiteral("lbl_find_status"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QLineEdit* edit : {text_, from_, to_}) {
        auto* label = new QLabel(edit->accessibleName());
        label->setBuddy(edit);
        layout->addWidget(label);
        layout->addWidget(edit);
        connect(edit, &QLineEdit::returnPressed, this, &ResultsFindBar::find);
    }
    for (QLineEdit* date : {from_, to_}) {
        date->setPlaceholderText(QStringLiteral("DD/MM/YY"));
        connect(date, &QLineEdit::textEdited, this, [date] { markField(date, false); });
    }
    layout->addWidget(status_, 1);
}

void ResultsFindBar::addShortcutsTo(QWidget* window) {
    const auto add = [&](const QKeySequence& keys, auto slot) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(QKeySequence::Find, [this] {
        text_->setFocus(Qt::ShortcutFocusReason);
        text_->selectAll();
    });
    add(QKeySequence(Qt::Key_F3), [this] { stepToMatch(1); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { stepToMatch(-1); });
    add(QKeySequence(Qt::Key_Escape), [this] { clear(); });
}

bool ResultsFindBar::readDay(QLineEdit* field, bool lastSecond,
                             std::optional<std::int64_t>& stamp) {
    stamp.reset();
    const QString text = field->text().trimmed();
    if (text.isEmpty())
        return true;
    const auto date = conv::readDate(text);
    markField(field, !date);
    if (date)
        stamp = date->date().toString(QStringLiteral("yyyyMMdd")).toLongLong() * 1000000 +
                (lastSecond ? 235959 : 0);
    return date.has_value();
}

void ResultsFindBar::find() {
    std::optional<std::int64_t> from, to;
    const bool fromRead = readDay(from_, false, from);
    if (!readDay(to_, true, to) || !fromRead)
        return;
    if (text_->text().isEmpty() && !from && !to)
        return;
    std::vector<int> rows = matchingRows(from, to);
    if (rows.empty()) {
        status_->setText(QStringLiteral("No row matches"));
        return;
    }
    matches_ = std::move(rows);
    selectRows(matches_);
    status_->setText(
        QStringLiteral("%1 of %2 rows match")
            .arg(thousands(matches_.size()), thousands(std::size_t(grid_->grid().gridRowCount()))));
}

// The rows that show, in the order the grid lists them.
std::vector<int> ResultsFindBar::matchingRows(std::optional<std::int64_t> from,
                                              std::optional<std::int64_t> to) const {
    const RecordGridModel& grid = grid_->grid();
    const int dateColumn = grid.columnIndex(kDateKey);
    std::vector<int> columns;
    for (const char16_t* key : kSearchedKeys)
        columns.push_back(grid.columnIndex(QStringView(key)));
    if (dateColumn < 0 || std::find(columns.begin(), columns.end(), -1) != columns.end())
        return {};
    const TextSearch search(text_->text());
    const auto inRange = [&](int row) {
        if (!from && !to)
            return true;
        const auto stamp = grid.cellDateStamp(row, dateColumn);
        return stamp && (!from || *stamp >= *from) && (!to || *stamp <= *to);
    };
    const auto holdsText = [&](int row) {
        return search.isEmpty() || std::any_of(columns.begin(), columns.end(), [&](int column) {
                   return grid.cellContains(row, column, search);
               });
    };
    std::vector<int> rows;
    for (const int row : grid.listedRows())
        if (grid.isRowVisible(row) && inRange(row) && holdsText(row))
            rows.push_back(row);
    return rows;
}

void ResultsFindBar::selectRows(const std::vector<int>& rows) {
    grid_->selectRows(rows);
    const QModelIndex first = grid_->grid().index(grid_->grid().viewRowOf(rows.front()), 0);
    grid_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    grid_->scrollTo(first);
}

// Rows hidden by a filter since the find are passed over; the selection stays as it is.
void ResultsFindBar::stepToMatch(int direction) {
    const RecordGridModel& grid = grid_->grid();
    std::vector<int> viewRows;
    for (const int row : matches_)
        if (const int viewRow = grid.viewRowOf(row); viewRow >= 0)
            viewRows.push_back(viewRow);
    if (viewRows.empty())
        return;
    std::sort(viewRows.begin(), viewRows.end());
    const int current = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    int target = 0;
    if (direction > 0) {
        const auto next = std::upper_bound(viewRows.begin(), viewRows.end(), current);
        target = next == viewRows.end() ? viewRows.front() : *next;
    } else {
        const auto next = std::lower_bound(viewRows.begin(), viewRows.end(), current);
        target = next == viewRows.begin() ? viewRows.back() : *(next - 1);
    }
    const QModelIndex index = grid.index(target, std::max(0, grid_->currentIndex().column()));
    grid_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    grid_->scrollTo(index);
}

void ResultsFindBar::clear() {
    for (QLineEdit* edit : {text_, from_, to_})
        edit->clear();
    for (QLineEdit* date : {from_, to_})
        markField(date, false);
    status_->clear();
    matches_.clear();
    grid_->clearSelection();
}

} // namespace kr7
