#include "platform.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace kr7::platform {

bool processRunning(qint64 pid) {
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    // Signal 0 only asks whether the process exists; another user's process refuses it.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

#ifdef Q_OS_WIN
// On Windows the install folder's access is set by the installer's access lists.
void keepNewFilesWithinGroup() {}

bool isAdministrator() {
    return false;
}

bool groupExists(const QString&) {
    return false;
}

QString accountName() {
    return qEnvironmentVariable("USERNAME");
}

QString giveToGroup(const QString&, const QString&, unsigned) {
    return {};
}

QString keepFromOthers(const QString&) {
    return {};
}

bool othersMayRead(const QString&) {
    return false;
}
#else
void keepNewFilesWithinGroup() {
    umask(007);
}

bool isAdministrator() {
    return geteuid() == 0;
}

bool groupExists(const QString& group) {
    return getgrnam(group.toLocal8Bit().constData()) != nullptr;
}

QString accountName() {
    if (const struct passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

QString giveToGroup(const QString& path, const QString& group, unsigned mode) {
    const struct group* entry = getgrnam(group.toLocal8Bit().constData());
    if (!entry)
        return QStringLiteral("the group %1 does not exist").arg(group);
    const QByteArray file = path.toLocal8Bit();
    if (chown(file.constData(), uid_t(-1), entry->gr_gid) != 0 ||
        chmod(file.constData(), mode_t(mode)) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString keepFromOthers(const QString& path) {
    if (chmod(path.toLocal8Bit().constData(), 0640) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

bool othersMayRead(const QString& path) {
    struct stat status {};
    return stat(path.toLocal8Bit().constData(), &status) == 0 && (status.st_mode & S_IROTH);
}
#endif

} // namespace kr7::platform
