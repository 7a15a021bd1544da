#pragma once

#include "cell_store.h"
#include "value.h"

#include <QAbstractTableModel>
#include <QColor>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kr7 {

class RowCursor;

// How the cells of a column look unless a hook says otherwise.
struct CellStyle {
    QColor background{}; // invalid: the view's own
    QColor foreground{};
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // "" shows the value as it is; "dd/mm/yy hh:mm" a date; any other a number pattern of
    // conv::formatNumber ("0", "0.00", "0%", "#,###", ...).
    QString pattern{};
    bool checkBox = false;
    bool alignHeader = false; // the column's title takes the cells' alignment
};

struct GridColumn {
    QString key;     // a field code or query column name
    QString title{}; // the column's name, as the exports write it
    // Pixels. addColumn takes them as drawn for the original's 8-point font and keeps them
    // scaled to the grid's own font (widthScale).
    int width = 80;
    bool visible = true;
    CellStyle style{};
    int maxLength = 0; // of the cell editor's text; 0 for no limit
    QString heading{}; // what the grid's header shows instead of the title, if anything
};

// What one cell shows; a look hook may change any part of it.
struct CellLook {
    QString text;
    QColor background;
    QColor foreground;
};

// A text looked for in cells, ignoring case, taken literally.
class TextSearch {
  public:
    explicit TextSearch(const QString& text);
    bool isEmpty() const { return text_.isEmpty(); }
    bool foundIn(std::string_view utf8) const;
    bool foundIn(const QString& text) const { return text.contains(text_, Qt::CaseInsensitive); }

  private:
    QString text_;
    std::string ascii_; // folded to lower case; empty when the text is not plain ASCII
};

// The rows of a query, kept column by column so that a million rows of eighteen fields stay
// small and quick: four bytes a cell (see CellStore), no object per row or cell.
//
// Grid rows count every row; the rows Qt sees are the visible ones only, so that hiding half
// a million rows is one pass and no work for the view. Row and column numbers of the grid
// functions count from 0; -1 is "none".
class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // May refuse an edit of the cell (the grid's request to edit).
    using EditRequest = std::function<bool(int row, int column)>;
    // Called before an edit is stored; writes the database and gives the value the cell is
    // to hold, or nothing to leave the cell as it was.
    using BeforeCommit =
        std::function<std::optional<Value>(int row, int column, const Value& newValue)>;
    using LookHook = std::function<void(int row, int column, CellLook& look)>;

    explicit RecordGridModel(QObject* parent = nullptr);
    ~RecordGridModel() override;

    // Off while columns are added, rows filled or row visibility walked; the view learns of
    // everything at once when it comes back on.
    void setRedraw(bool on);
    bool redraw() const { return redraw_; }

    // How much wider the grid's font runs than the original's: the view sets it before any
    // column is added.
    void setWidthScale(double scale) { widthScale_ = scale; }
    // A width drawn for the original's font, in pixels of the grid's.
    int scaledWidth(int originalPixels) const;
    int addColumn(GridColumn column);
    int columnIndex(QStringView key) const;
    const GridColumn& column(int index) const { return columns_[std::size_t(index)]; }
    void setColumnStyle(int index, const CellStyle& style);
    void setColumnWidth(int index, int width);
    void setColumnVisible(int index, bool visible);
    int visibleColumnsWidth() const;
    void clearColumns();

    // Clears the rows and reads every row of `rows`: each field goes to the column of its
    // name, and a field without one gets a further column.
    void fill(RowCursor&& rows);
    // The same in steps, so that a million rows can come in while the window stays usable:
    // beginFill clears the rows and matches the fields to columns, each appendRows takes up
    // to `limit` further rows (false once there are none left), and endFill ends the filling.
    void beginFill(const RowCursor& rows);
    bool appendRows(RowCursor& rows, int limit);
    void endFill();
    void clearRows();
    void removeGridRow(int row);
    int gridRowCount() const { return rowTotal_; }

    // The value as the database gave it (null, whole, floating or text).
    Value cellValue(int row, int column) const;
    // The value as the column's pattern shows it.
    QString cellText(int row, int column) const;
    // The same text appended in UTF-8: exports of many rows take it without a QString a cell.
    void appendCellUtf8(int row, int column, std::string& out) const;
    // Stores a value in its stored form (dates as text, Yes/No as 0/1).
    void setCellValue(int row, int column, const Value& value);

    // Orders the rows by the column's values, the original order among equal ones: numbers
    // (number texts too) as numbers, dates as dates, texts ignoring case, empty cells last in
    // either direction. The cells stay where they are; only the listing order changes.
    void sortBy(int column, Qt::SortOrder order);
    // Back to the order the rows were filled in.
    void clearSort();
    // Every grid row, hidden ones included, in the order the grid lists them.
    std::vector<int> listedRows() const;

    // True when the cell's text holds the search's text, ignoring case.
    bool cellContains(int row, int column, const TextSearch& search) const;
    // The date of a cell in a date column as yyyymmddhhmmss, so that dates compare as
    // numbers; nothing for an empty cell or one that is no date.
    std::optional<std::int64_t> cellDateStamp(int row, int column) const;

    bool isRowVisible(int row) const;
    void setRowVisible(int row, bool visible);
    // Between grid rows and the rows the view shows; -1 for a hidden row.
    int viewRowOf(int gridRow) const;
    int gridRowOf(int viewRow) const;

    void setEditRequest(EditRequest request) { editRequest_ = std::move(request); }
    void setBeforeCommit(BeforeCommit beforeCommit) { beforeCommit_ = std::move(beforeCommit); }
    void setLookHook(LookHook hook) { lookHook_ = std::move(hook); }
    bool canEdit(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  signals:
    // A column's width or visibility changed; the view lays its columns out again.
    void columnLayoutChanged();

  private:
    template <class F> void change(F&& mutate);
    void dropRows();
    void appendField(std::size_t column, const RowCursor& rows, int field);
    void putCell(std::size_t column, std::size_t row, const Value& stored);
    bool isCell(const QModelIndex& index) const;
    bool isIdentityView() const { return hiddenCount_ == 0 && order_.empty(); }
    CellLook lookOf(int row, int column) const;
    bool isChecked(int row, int column) const;
    const std::vector<int>& visibleRows() const;

    std::vector<GridColumn> columns_;
    CellStore cells_;
    std::vector<int> fieldOf_; // while filling: the cursor's field for each column, or -1
    int rowTotal_ = 0;
    std::vector<bool> hidden_;             // empty while no row was ever hidden
    std::vector<int> order_;               // grid rows in listing order, empty while unsorted
    mutable std::vector<int> visibleRows_; // grid rows in view order, while sorted or hidden
    mutable std::vector<int> viewRows_;    // and the other way round, -1 for a hidden row
    mutable bool visibleRowsStale_ = false;
    int hiddenCount_ = 0;
    bool redraw_ = true;
    double widthScale_ = 1;
    EditRequest editRequest_;
    BeforeCommit beforeCommit_;
    LookHook lookHook_;
};

// Redrawing off for a scope, on again however the scope ends.
class RedrawPause {
  public:
    explicit RedrawPause(RecordGridModel& grid) : grid_(grid) { grid_.setRedraw(false); }
    ~RedrawPause() { grid_.setRedraw(true); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

  private:
    RecordGridModel& grid_;
};

} // namespace kr7
