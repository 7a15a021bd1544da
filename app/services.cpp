#include "services.h"

#include <QCoreApplication>

namespace kr7 {

Services& services() {
    static Services instance;
    return instance;
}

void endProgram(int exitCode) {
    services().endedWith = exitCode;
    QCoreApplication::exit(exitCode);
    throw ProgramEnded{exitCode};
}

} // namespace kr7
