#pragma once

#include "value.h"

#include <QWidget>
#include <optional>

namespace kr7 {

class RecordGridView;

// The calibrant records browser: one row per calibrant tube, in the order of their last
// change. The number of dips and whether the tube has been drained may be corrected.
class grid_calibrants : public QWidget {
    Q_OBJECT
  public:
    // A Qt::Window child of `owner`, deleted when it closes.
    explicit grid_calibrants(QWidget* owner);
    ~grid_calibrants() override;

    void Form_Load();

  private:
    void layOutGrid();
    std::optional<Value> ig_calibrants_BeforeCommitEdit(int row, int column, const Value& newValue);

    RecordGridView* ig_calibrants_;
};

// Makes the calibrant records browser for the configuration screen, runs its load and shows
// it.
QWidget* openCalibrantRecords(QWidget* owner);

} // namespace kr7
