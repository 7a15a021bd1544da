#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;

namespace kr7 {

class RecordGridView;

// The results browser's find bar: a text looked for, ignoring case and taken literally, in
// the barcode, patient, LIMS text and both notes of every row, and a range of test dates
// (day first; "to" takes in its whole day). Enter selects the matching rows that show,
// F3 and Shift+F3 move the current row from match to match, Esc clears the find and the
// selection. The selection is what the exports then take.
class ResultsFindBar : public QWidget {
    Q_OBJECT
  public:
    explicit ResultsFindBar(RecordGridView* grid, QWidget* parent = nullptr);

    // Ctrl+F, F3, Shift+F3 and Esc anywhere in `window`.
    void addShortcutsTo(QWidget* window);

    void find();
    void stepToMatch(int direction); // 1 the next, -1 the one before
    void clear();

  private:
    // The date stamp (yyyymmddhhmmss) of the field's day, its first or last second; nothing
    // for an empty field; false and the field marked when it holds no date.
    bool readDay(QLineEdit* field, bool lastSecond, std::optional<std::int64_t>& stamp);
    std::vector<int> matchingRows(std::optional<std::int64_t> from,
                                  std::optional<std::int64_t> to) const;
    // Selects the rows found and goes to the first.
    void selectRows(const std::vector<int>& rows);

    RecordGridView* grid_;
    QLineEdit* text_;
    QLineEdit* from_;
    QLineEdit* to_;
    QLabel* status_;
    std::vector<int> matches_; // grid rows
};

} // namespace kr7
