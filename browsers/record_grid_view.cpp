#include "record_grid_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

namespace kr7 {

namespace {

// Gives a cell editor the most characters its column's field holds, and a cell too narrow
// for its text a tool-tip with the whole of it.
class LimitedTextDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data().toString();
        if (!text.isEmpty() && sizeHint(option, index).width() > option.rect.width())
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        else
            QToolTip::hideText();
        return true;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        const auto* model = static_cast<const RecordGridModel*>(index.model());
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            if (const int limit = model->column(index.column()).maxLength; limit > 0)
                line->setMaxLength(limit);
        return editor;
    }
};

} // namespace

double fontScale(const QWidget* widget) {
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const double average =
        QFontMetricsF(widget->font()).horizontalAdvance(letters) / letters.size();
    return average / (6.0 * widget->logicalDpiX() / 96.0);
}

RecordGridView::RecordGridView(QWidget* parent)
    : QTableView(parent), model_(new RecordGridModel(this)) {
    model_->setWidthScale(fontScale(this));
    setModel(model_);
    setItemDelegate(new LimitedTextDelegate(this));
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    verticalHeader()->hide();
    // Rows as compact as the original's: a line of text and a check box fit.
    verticalHeader()->setDefaultSectionSize(fontMetrics().lineSpacing() + 6);
    horizontalHeader()->setHighlightSections(false);
    // One click into an editable cell starts its edit, as the lab staff are told.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.flags() & Qt::ItemIsEditable)
            edit(index);
    });
    connect(model_, &RecordGridModel::columnLayoutChanged, this,
            &RecordGridView::applyColumnLayout);
    connect(model_, &QAbstractItemModel::modelReset, this, &RecordGridView::applyColumnLayout);
}

void RecordGridView::applyColumnLayout() {
    for (int c = 0; c < model_->columnCount(); ++c) {
        setColumnWidth(c, model_->column(c).width);
        setColumnHidden(c, !model_->column(c).visible);
    }
}

int RecordGridView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? model_->gridRowOf(current.row()) : -1;
}

int RecordGridView::currentColumn() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void RecordGridView::setCurrentCell(int row, int column) {
    const QModelIndex index = model_->index(model_->viewRowOf(row), column);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

std::vector<int> RecordGridView::selectedRows() const {
    std::vector<bool> selected(std::size_t(model_->rowCount()), false);
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int viewRow = range.top(); viewRow <= range.bottom(); ++viewRow)
            selected[std::size_t(viewRow)] = true;
    std::vector<int> rows;
    for (int viewRow = 0; viewRow < int(selected.size()); ++viewRow)
        if (selected[std::size_t(viewRow)])
            rows.push_back(model_->gridRowOf(viewRow));
    return rows;
}

void RecordGridView::setSortable(bool sortable) {
    horizontalHeader()->setSectionsClickable(sortable);
    horizontalHeader()->setSortIndicatorShown(sortable);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    disconnect(horizontalHeader(), &QHeaderView::sectionClicked, this, nullptr);
    if (sortable)
        connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
                &RecordGridView::sortOnClick);
}

void RecordGridView::sortOnClick(int column) {
    if (column != sortColumn_) {
        sortColumn_ = column;
        sortOrder_ = Qt::AscendingOrder;
    } else if (sortOrder_ == Qt::AscendingOrder) {
        sortOrder_ = Qt::DescendingOrder;
    } else {
        sortColumn_ = -1;
    }
    const std::vector<int> selected = selectedRows();
    const int current = currentRow();
    const int currentColumn = this->currentColumn();
    if (sortColumn_ < 0)
        model_->clearSort();
    else
        model_->sortBy(sortColumn_, sortOrder_);
    horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
    selectRows(selected);
    if (const QModelIndex index = model_->index(model_->viewRowOf(current), currentColumn);
        index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        scrollTo(index);
    }
}

// One selection range per run of neighbouring rows, so that half a million rows selected
// in the order they show is one range, not half a million.
void RecordGridView::selectRows(const std::vector<int>& rows) {
    std::vector<int> viewRows;
    for (const int row : rows)
        if (const int viewRow = model_->viewRowOf(row); viewRow >= 0)
            viewRows.push_back(viewRow);
    std::sort(viewRows.begin(), viewRows.end());
    QItemSelection selection;
    for (std::size_t i = 0; i < viewRows.size();) {
        std::size_t end = i + 1;
        while (end < viewRows.size() && viewRows[end] == viewRows[end - 1] + 1)
            ++end;
        selection.select(model_->index(viewRows[i], 0), model_->index(viewRows[end - 1], 0));
        i = end;
    }
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int RecordGridView::heightForRows(int rows) const {
    return horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize() +
           horizontalScrollBar()->sizeHint().height() + 2 * frameWidth();
}

} // namespace kr7
