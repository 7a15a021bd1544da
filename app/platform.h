#pragma once

#include <QString>
#include <QtGlobal>

// The few things that differ between Windows and the POSIX systems; every call into the
// operating system's own interface lives behind these.
namespace kr7::platform {

// Whether a process of that id runs on this machine.
bool processRunning(qint64 pid);

// Files this program makes hold patient data: the site's group may read and write them,
// nobody else may read them.
void keepNewFilesWithinGroup();

// Whether the process may hand folders and files to another group (root on POSIX).
bool isAdministrator();

bool groupExists(const QString& group);

// The operating-system account the program runs under, as the audit trail names it.
QString accountName();

// Gives `path` to `group` with the permission bits `mode` (e.g. 02770). Returns the reason
// when that fails, an empty text when it worked.
QString giveToGroup(const QString& path, const QString& group, unsigned mode);

// A file that holds credentials: its owner may write it, the site's group may read it,
// nobody else may. Returns the reason when that fails, an empty text when it worked.
QString keepFromOthers(const QString& path);

// Whether users outside the file's group may read it.
bool othersMayRead(const QString& path);

} // namespace kr7::platform
