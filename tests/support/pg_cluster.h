#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kr7::test {

// A throw-away PostgreSQL 15 cluster for one test program: initdb in a temporary folder, a
// free local port, password authentication, run as an unprivileged user when the tests run
// as root (initdb refuses root). Stopped at once, and its folder removed, at the end.
class PgCluster {
  public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Why the cluster is not running; empty when it is.
    const QString& failure() const { return failure_; }

    // A new empty database of that name, and the URL that reaches it.
    QString createDatabase(const QString& name);
    QString url(const QString& database, const QString& password = kPassword) const;
    int port() const { return port_; }

    // As a crash would: every server process ends at once, nothing is shut down cleanly.
    void kill();
    bool start();

    static inline const QString kPassword = QStringLiteral("kr7-test");

  private:
    bool run(const QString& program, const QStringList& args);

    QTemporaryDir dir_;
    int port_ = 0;
    QString failure_;
};

// A TCP port on the loopback address that nothing listens on at the moment.
int freePort();

} // namespace kr7::test
