#include "install_folder.h"

#include "errors.h"

#include <QDir>
#include <QSaveFile>

namespace kr7::files {

namespace {
QString defaultFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Halvik/KR7");
#else
    return QStringLiteral("/var/lib/halvik/kr7");
#endif
}
} // namespace

QString installFolder() {
    const QString home = qEnvironmentVariable("KR7_HOME");
    QString folder = QDir::cleanPath(home.isEmpty() ? defaultFolder() : home);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return QDir::toNativeSeparators(folder);
}

QString databaseFile() {
    return installFolder() + kDatabaseFileName;
}

QString errorLogFile() {
    return installFolder() + kErrorLogFileName;
}

QString instanceLockFile() {
    return installFolder() + QStringLiteral("kr7-data.lock");
}

void writeWhole(const QString& path, const std::function<void(QIODevice&)>& write) {
    QSaveFile file(path);
    const auto failed = [&] {
        return Error(errnum::FileError,
                     QStringLiteral("The file %1 cannot be written: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw failed();
    write(file);
    if (!file.commit())
        throw failed();
}

} // namespace kr7::files
