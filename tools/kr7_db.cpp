// kr7-db: creates, fills and checks the shared database in the install folder, and sends
// its results to the central database.

#include "audit.h"
#include "central_conf.h"
#include "central_schema.h"
#include "clock.h"
#include "database.h"
#include "errors.h"
#include "install_folder.h"
#include "pg.h"
#include "platform.h"
#include "seed.h"
#include "sync.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

const char* const kUsage =
    "usage: kr7-db init [--demo]       create the database in the install folder\n"
    "       kr7-db seed-results N [SEED] append N synthetic results (for benchmarks)\n"
    "       kr7-db seed-calibrants N [SEED]  append a year of N runs of each calibrant level\n"
    "       kr7-db check               run the database's integrity check\n"
    "       kr7-db verify-audit        check the audit trail's hash chain\n"
    "       kr7-db central-init URL    create the central results database's tables and\n"
    "                                  keep the URL in the install folder's central.conf\n"
    "       kr7-db sync [--central URL] [--watch SECONDS]\n"
    "                                  send the results not yet sent to the central database\n"
    "The install folder is KR7_HOME when set, otherwise the program's fixed folder.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void say(const QString& text) {
    std::printf("%s\n", qPrintable(text));
}

std::optional<long long> wholeArgument(const QString& text, long long max) {
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}

const QString kSiteGroup = QStringLiteral("kr7");

kr7::Error cannotInit(const QString& why) {
    return kr7::Error(kr7::errnum::FileError, why);
}

void giveToSiteGroup(const QString& path, unsigned mode) {
    const QString why = kr7::platform::giveToGroup(path, kSiteGroup, mode);
    if (!why.isEmpty())
        throw cannotInit(
            QStringLiteral("cannot give %1 to the group %2: %3").arg(path, kSiteGroup, why));
}

// The database is made under a name of its own and renamed into place once complete, so
// that a failure part way leaves no half-made database behind.
void createDatabaseWhole(const QString& path, bool demo) {
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    try {
        kr7::seed::createDatabase(partial, {demo, kr7::SystemClock().now()});
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw cannotInit(QStringLiteral("cannot create ") + path);
    }
}

// The folders made above the install folder are for everybody to pass through (as
// /var/lib is), whatever this program's own mask keeps from others.
bool makeFolder(const QString& folder) {
    QStringList made;
    for (QString above = QDir::cleanPath(folder); !QFileInfo::exists(above);
         above = QFileInfo(above).path())
        made.prepend(above);
    if (!QDir().mkpath(folder))
        return false;
    if (!made.isEmpty())
        made.removeLast(); // the install folder itself keeps the mask's mode
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    for (const QString& path : made)
        QFile::setPermissions(path, open);
    return true;
}

// Run as root, init sets the folder up for the whole site: the group kr7 owns it (new
// files inherit the group), its members may read and write, nobody else may look in.
int init(bool demo) {
    const QString folder = kr7::files::installFolder();
    const QString database = kr7::files::databaseFile();
    // A folder of KR7_HOME's (a demo, a test) is set up for the site only where the group
    // exists; the real install folder always is.
    const bool forSite =
        kr7::platform::isAdministrator() &&
        (kr7::platform::groupExists(kSiteGroup) || qEnvironmentVariableIsEmpty("KR7_HOME"));
    if (forSite && !kr7::platform::groupExists(kSiteGroup))
        throw cannotInit(QStringLiteral("the group %1 does not exist: install the kr7-data "
                                        "package, or create the group with "
                                        "\"addgroup --system %1\"")
                             .arg(kSiteGroup));
    if (QFileInfo::exists(database))
        throw cannotInit(QStringLiteral("%1 already exists; it is left as it is").arg(database));
    if (!makeFolder(folder) || !QFileInfo(folder).isWritable())
        throw cannotInit(QStringLiteral("cannot write in %1: run \"kr7-db init\" as root, or "
                                        "as a member of the group %2 that owns the folder")
                             .arg(folder, kSiteGroup));
    if (forSite)
        giveToSiteGroup(folder, 02770);
    createDatabaseWhole(database, demo);
    if (forSite) {
        QFile log(kr7::files::errorLogFile());
        log.open(QIODevice::Append);
        log.close();
        giveToSiteGroup(database, 0660);
        giveToSiteGroup(kr7::files::errorLogFile(), 0660);
    }
    say(QStringLiteral("created %1%2")
            .arg(database, demo ? QStringLiteral(" with demo records") : QString()));
    return 0;
}

kr7::sql::Database openExisting() {
    if (!QFileInfo::exists(kr7::files::databaseFile()))
        throw kr7::Error(kr7::errnum::FileError,
                         QStringLiteral("no database at ") + kr7::files::databaseFile());
    return kr7::sql::Database::open(kr7::files::databaseFile());
}

int seedResults(long long count, std::uint32_t seed) {
    auto db = openExisting();
    kr7::seed::appendResults(db, count, seed, kr7::SystemClock().now());
    say(QStringLiteral("appended %1 results").arg(count));
    return 0;
}

int seedCalibrants(long long perLevel, std::uint32_t seed) {
    auto db = openExisting();
    const auto added =
        kr7::seed::appendCalibrantRuns(db, perLevel, seed, kr7::SystemClock().now(), 365);
    say(QStringLiteral("appended %1 calibrant runs").arg(added));
    return 0;
}

int check() {
    auto db = openExisting();
    auto integrity = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    bool ok = true;
    while (integrity.step()) {
        const QString line = integrity.columnText(0);
        ok = ok && line == u"ok";
        say(line);
    }
    return ok ? 0 : 1;
}

int verifyAudit() {
    auto db = openExisting();
    const kr7::audit::Verdict verdict = kr7::audit::verify(db);
    if (!verdict.intact()) {
        say(QStringLiteral("audit trail altered at row %1: %2")
                .arg(verdict.alteredAt)
                .arg(verdict.why));
        return 1;
    }
    say(QStringLiteral("audit trail ok: %1 rows").arg(verdict.rows));
    return 0;
}

int centralInit(const QString& url) {
    auto central = kr7::pg::Connection::open(url);
    kr7::central::createSchema(central);
    kr7::central::writeConf(url);
    say(QStringLiteral("central database ready; its URL is kept in %1")
            .arg(kr7::central::confFile()));
    return 0;
}

int syncOnce(const QString& url) {
    if (!QFileInfo::exists(kr7::files::databaseFile()))
        throw kr7::Error(kr7::errnum::FileError,
                         QStringLiteral("no database at ") + kr7::files::databaseFile());
    auto central = kr7::pg::Connection::open(url);
    const auto report = kr7::central::syncResults(kr7::files::databaseFile(), central);
    say(QStringLiteral("instrument %1: %2 results read, %3 new in the central database")
            .arg(report.instrument)
            .arg(report.read)
            .arg(report.sent));
    return 0;
}

// Keeps syncing: a server that is down, or any other failure, is reported and tried again
// at the next round.
[[noreturn]] void watch(const QString& url, long long seconds) {
    for (;;) {
        try {
            syncOnce(url);
        } catch (const kr7::Error& e) {
            std::fprintf(stderr, "kr7-db: %s\n", qPrintable(e.description()));
        }
        std::fflush(stdout);
        kr7::SystemClock().sleep(std::chrono::seconds(seconds));
    }
}

// sync [--central URL] [--watch SECONDS], in either order.
int sync(QStringList args) {
    QString url;
    long long seconds = -1; // not watching
    for (; args.size() >= 2; args.remove(0, 2)) {
        if (args[0] == u"--central")
            url = args[1];
        else if (args[0] == u"--watch")
            seconds = wholeArgument(args[1], 86400).value_or(0);
        else
            return usage();
    }
    if (!args.isEmpty() || seconds == 0)
        return usage();
    if (url.isEmpty())
        url = kr7::central::configuredUrl();
    if (url.isEmpty())
        throw kr7::Error(kr7::errnum::FileError,
                         QStringLiteral("no central database: give --central URL, or run "
                                        "\"kr7-db central-init URL\" once"));
    if (seconds > 0)
        watch(url, seconds);
    return syncOnce(url);
}

int run(const QStringList& args) {
    if (args.size() == 2 && args[0] == u"central-init")
        return centralInit(args[1]);
    if (!args.isEmpty() && args[0] == u"sync")
        return sync(args.mid(1));
    if (args.size() == 1 && args[0] == u"init")
        return init(false);
    if (args.size() == 2 && args[0] == u"init" && args[1] == u"--demo")
        return init(true);
    if (args.size() == 1 && args[0] == u"check")
        return check();
    if (args.size() == 1 && args[0] == u"verify-audit")
        return verifyAudit();
    const bool seeding = args.size() == 2 || args.size() == 3;
    if (seeding && (args[0] == u"seed-results" || args[0] == u"seed-calibrants")) {
        const auto count = wholeArgument(args[1], 100'000'000);
        const auto seed = args.size() == 3 ? wholeArgument(args[2], 0xffffffffLL) : 1LL;
        if (count && seed)
            return args[0] == u"seed-results" ? seedResults(*count, std::uint32_t(*seed))
                                              : seedCalibrants(*count, std::uint32_t(*seed));
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    kr7::platform::keepNewFilesWithinGroup();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    try {
        return run(args);
    } catch (const kr7::Error& e) {
        std::fprintf(stderr, "kr7-db: %s\n", qPrintable(e.description()));
        return 1;
    }
}
