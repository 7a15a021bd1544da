#pragma once

#include <QApplication>

namespace kr7 {

// The event-dispatch guard: an error that no trap caught is reported under the name of the
// handler it came from ("frm_config : txt_Site_ID_LostFocus") instead of ending the program.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

// "<window> : <control>_<event>", the name an unguarded handler reports under.
QString handlerName(const QObject* receiver, const QEvent* event);

} // namespace kr7
