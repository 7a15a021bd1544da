#include "record_grid_view.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace kr7 {

namespace {

// Gives a cell editor the most characters its column's field holds.
class LimitedTextDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

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

RecordGridView::RecordGridView(QWidget* parent)
    : QTableView(parent), model_(new RecordGridModel(this)) {
    setModel(model_);
    setItemDelegate(new LimitedTextDelegate(this));
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    verticalHeader()->hide();
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

} // namespace kr7
