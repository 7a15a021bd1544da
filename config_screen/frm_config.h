#pragma once

#include "owned_screen.h"
#include "screen_state.h"

#include <QMainWindow>
#include <map>
#include <memory>

class QLabel;
class QTabWidget;

namespace kr7 {

// The configuration screen: the program's main window once the log-on form has gone.
class frm_config : public QMainWindow {
    Q_OBJECT
  public:
    explicit frm_config(QWidget* parent = nullptr);
    ~frm_config() override;

    // Fills the screen and shows it; ends the program when T_PIC_list does not hold exactly
    // one record.
    void Form_Load();

    // The prompt line: panel 1 of the status bar.
    void Show_status_text(const QString& text);
    // A refused value's message on the prompt line, shown as a warning and announced to
    // screen readers.
    void Show_refusal(const QString& text);

    // Enables the tab-9 button of that objectName; its click opens the screen `factory`
    // makes, by the one rule of OwnedScreen.
    void registerScreen(const QString& buttonObjectName, OwnedScreen::Factory factory);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildFixedLabels(QWidget* central);
    void Form_QueryUnload();
    QString textOf(const QString& field) const;

    config::ScreenState state_;
    QTabWidget* SSTab1_;
    QLabel* statusPrompt_;
    QLabel* statusWarning_;
    QLabel* statusInstrument_;
    QString instrumentNumber_;
    std::map<QString, std::unique_ptr<OwnedScreen>> screens_;
};

// Creates the configuration screen, runs its load sequence and shows it.
void openConfigScreen();

} // namespace kr7
