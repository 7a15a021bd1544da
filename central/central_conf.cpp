#include "central_conf.h"

#include "errors.h"
#include "install_folder.h"
#include "platform.h"

#include <QFile>
#include <QIODevice>
#include <QTextStream>

namespace kr7::central {

namespace {

Error confError(const QString& why) {
    return Error(errnum::FileError, QStringLiteral("%1: %2").arg(confFile(), why));
}

} // namespace

QString confFile() {
    return files::installFolder() + QStringLiteral("central.conf");
}

QString configuredUrl() {
    QFile file(confFile());
    if (!file.exists())
        return {};
    if (platform::othersMayRead(confFile()))
        throw confError(QStringLiteral("every user may read it, and it holds the central "
                                       "database's password: make it readable by the group "
                                       "only (mode 640)"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw confError(file.errorString());
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u"url") && line.section(u'=', 0, 0).trimmed() == u"url")
            return line.section(u'=', 1).trimmed();
    }
    throw confError(QStringLiteral("no line \"url = ...\""));
}

void writeConf(const QString& url) {
    files::writeWhole(confFile(), [&](QIODevice& out) {
        out.write("# The central results database (kr7-db sync, the browser's \"All "
                  "instruments\")\n");
        out.write(QStringLiteral("url = %1\n").arg(url).toUtf8());
    });
    const QString why = platform::keepFromOthers(confFile());
    if (!why.isEmpty())
        throw confError(why);
}

} // namespace kr7::central
