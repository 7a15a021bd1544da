#pragma once

#include <QWidget>

class QLabel;

namespace kr7 {

// The small window in front of the results browser while an export or printout runs.
class frm_Data_Export_Please_Wait : public QWidget {
    Q_OBJECT
  public:
    // A Qt::Window child of `owner`, so that it stays in front of it.
    explicit frm_Data_Export_Please_Wait(QWidget* owner);

    // Shown with an empty progress line, painted before the work starts.
    void start();
    // "Record n of m"; the screen is brought up to date every few hundred rows, which keeps
    // the program responsive without slowing the export down.
    void rowDone(int done, int total);

  private:
    QLabel* lbl_progress_;
};

} // namespace kr7
