#pragma once

#include "cleaning_cycles.h"
#include "editing_screen.h"

class QLabel;

namespace kr7 {

// Which of the cleaning cycles 1 to 3 the instrument runs at start-up, after a test and from
// its menu. A digit is stored the moment it is typed, with the chosen cycle's labels and
// times copied to where the instrument reads them for that moment.
class frm_wash_cycle : public cleaning::EditingScreen {
    Q_OBJECT
  public:
    explicit frm_wash_cycle(QWidget* owner);

    // Shows the three chosen cycles, under the screen's load trap.
    void Form_Load();

  protected:
    QString enterTarget(const QString& fieldName) const override;
    bool keyPressed(QLineEdit* field, const QKeyEvent* event) override;

  private:
    QWidget* buildChoices();
    QWidget* buildCyclesAvailable();
    const cleaning::Moment& momentOf(const QLineEdit* field) const;
    // False, with nothing written, when a time of the cycle is missing.
    bool choose(const cleaning::Moment& moment, int cycle);

    QLabel* lbl_status_;
};

// Makes the wash cycle screen as a window of `owner`, loads it and shows it: the factory of
// the "Set cleaning cycles" button.
QWidget* openWashCycleScreen(QWidget* owner);

} // namespace kr7
