#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace kr7 {

// The small window in front of the results browser while an export or printout runs. It is
// a window of its own, not the browser's child, so that it stays usable while the browser
// is disabled; it still stands in front of the browser.
class frm_Data_Export_Please_Wait : public QWidget {
    Q_OBJECT
  public:
    explicit frm_Data_Export_Please_Wait(QWidget* owner);

    // Shown with an empty progress line, painted before the work starts.
    void start();
    // "Record n of m" for every row; the screen is brought up to date every few hundred
    // rows, which keeps the program responsive without slowing the export down.
    void rowDone(int done, int total);

  private:
    QPointer<QWidget> owner_;
    QLabel* lbl_progress_;
};

} // namespace kr7
