#include "pg_cluster.h"

#include "pg.h"
#include "platform.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>

namespace kr7::test {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");
const QString kUser = QStringLiteral("nobody");

} // namespace

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Runs a server program, as the unprivileged user when this process is root; keeps its
// output as the failure when it fails.
bool PgCluster::run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (platform::isAdministrator())
        process.start(
            QStringLiteral("runuser"),
            QStringList{QStringLiteral("-u"), kUser, QStringLiteral("--"), kBin + program} + args);
    else
        process.start(kBin + program, args);
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        failure_ =
            QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()));
    return ok;
}

PgCluster::PgCluster() {
    if (!QFileInfo::exists(kBin + QStringLiteral("initdb"))) {
        failure_ = QStringLiteral("PostgreSQL 15's server programs are not in %1: install the "
                                  "Debian package postgresql (tools/dev.sh does)")
                       .arg(kBin);
        return;
    }
    const QString passwordFile = dir_.filePath(QStringLiteral("password"));
    QFile password(passwordFile);
    password.open(QIODevice::WriteOnly);
    password.write(kPassword.toUtf8());
    password.close();
    if (platform::isAdministrator() &&
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), kUser, dir_.path()}) !=
            0) {
        failure_ = QStringLiteral("cannot give %1 to the user %2").arg(dir_.path(), kUser);
        return;
    }
    if (run(QStringLiteral("initdb"),
            {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-U"),
             QStringLiteral("kr7"), QStringLiteral("--pwfile"), passwordFile,
             QStringLiteral("--auth=scram-sha-256"), QStringLiteral("--encoding=UTF8"),
             QStringLiteral("--no-sync")}))
        start();
}

PgCluster::~PgCluster() {
    if (failure_.isEmpty())
        kill();
}

// The same port each time, so that a restarted server answers at the same URL.
bool PgCluster::start() {
    if (port_ == 0)
        port_ = freePort();
    // A test's cluster needs no durability against a power cut: fsync off keeps it quick.
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(port_)
                                .arg(dir_.path());
    if (!run(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-l"),
              dir_.filePath(QStringLiteral("log")), QStringLiteral("-o"), options,
              QStringLiteral("-w"), QStringLiteral("start")}))
        return false;
    failure_.clear();
    return true;
}

void PgCluster::kill() {
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PgCluster::url(const QString& database, const QString& password) const {
    return QStringLiteral("postgresql://kr7:%1@127.0.0.1:%2/%3")
        .arg(password)
        .arg(port_)
        .arg(database);
}

QString PgCluster::createDatabase(const QString& name) {
    pg::Connection::open(url(QStringLiteral("postgres")))
        .exec(QStringLiteral("CREATE DATABASE ") + name);
    return url(name);
}

} // namespace kr7::test
