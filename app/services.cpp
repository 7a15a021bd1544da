#include "services.h"

#include <QAccessible>
#include <QApplication>

namespace kr7 {

Services& services() {
    static Services instance;
    return instance;
}

void beep() {
    if (services().beeper)
        services().beeper();
    else
        QApplication::beep();
}

void raiseAlert(QObject* source) {
    if (services().alerter) {
        services().alerter(source);
        return;
    }
    QAccessibleEvent alert(source, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void endProgram(int exitCode) {
    services().endedWith = exitCode;
    QCoreApplication::exit(exitCode);
    throw ProgramEnded{exitCode};
}

} // namespace kr7
