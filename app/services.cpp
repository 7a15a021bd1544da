#include "services.h"

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

void endProgram(int exitCode) {
    services().endedWith = exitCode;
    QCoreApplication::exit(exitCode);
    throw ProgramEnded{exitCode};
}

} // namespace kr7
