#pragma once

#include "record_grid_model.h"

#include <QTableView>
#include <vector>

namespace kr7 {

// How much wider the widget's font runs than the original's 8-point font, whose letters
// averaged 6 pixels at 96 dots per inch: the sizes the screens were drawn with grow by it.
double fontScale(const QWidget* widget);

// The grid of a record screen: a table view over its own RecordGridModel. Rows and columns
// are the model's grid rows and columns (from 0; -1 is "none"). Tab moves into and out of
// the grid, arrows move within it; F2, typing or a click starts an edit of an editable
// cell, Enter commits it and Esc abandons it; Space toggles a check-box cell. A cell too
// narrow for its text shows the whole text as its tool-tip.
class RecordGridView : public QTableView {
    Q_OBJECT
  public:
    explicit RecordGridView(QWidget* parent = nullptr);

    RecordGridModel& grid() const { return *model_; }

    int currentRow() const;
    int currentColumn() const;
    // Makes the cell current and the only one selected; a hidden row is not made current.
    void setCurrentCell(int row, int column);
    // The grid rows with a selected cell, in grid order.
    std::vector<int> selectedRows() const;
    // Selects exactly these grid rows, whole, those of them that show.
    void selectRows(const std::vector<int>& rows);
    // A click on a column heading sorts by that column, a second reverses the order and a
    // third goes back to the order the rows were filled in; the heading shows the arrow. The
    // selected rows and the current one stay so.
    void setSortable(bool sortable);
    // The column the rows are sorted by, -1 for none.
    int sortColumn() const { return sortColumn_; }
    // The height that shows the column titles and that many rows without scrolling.
    int heightForRows(int rows) const;

  private:
    void applyColumnLayout();
    void sortOnClick(int column);

    RecordGridModel* model_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace kr7
