#include "platform.h"

#ifdef Q_OS_WIN
// On Windows the install folder's access is set by the installer's access lists.
namespace kr7::platform {
void keepNewFilesWithinGroup() {}
bool isAdministrator() {
    return false;
}
bool groupExists(const QString&) {
    return false;
}
QString giveToGroup(const QString&, const QString&, unsigned) {
    return {};
}
QString accountName() {
    return qEnvironmentVariable("USERNAME");
}
} // namespace kr7::platform
#else
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr7::platform {

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

} // namespace kr7::platform
#endif
