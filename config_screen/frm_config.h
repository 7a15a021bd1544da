#pragma once

#include <QMainWindow>

class QLabel;

namespace kr7 {

// The configuration screen: the program's main window once the log-on form has gone.
class frm_config : public QMainWindow {
    Q_OBJECT
  public:
    explicit frm_config(QWidget* parent = nullptr);

    // Fills the screen and shows it; ends the program when T_PIC_list does not hold exactly
    // one record.
    void Form_Load();

    // The prompt line: panel 1 of the status bar.
    void Show_status_text(const QString& text);

  private:
    QLabel* statusPrompt_;
    QLabel* statusInstrument_;
    QString instrumentNumber_;
};

// Creates the configuration screen, runs its load sequence and shows it.
void openConfigScreen();

} // namespace kr7
