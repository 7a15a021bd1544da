#pragma once

#include <QtGlobal>

// The few things the operating system is asked directly.
namespace kr7::platform {

// Whether a process of that id runs on this machine.
bool processRunning(qint64 pid);

} // namespace kr7::platform
