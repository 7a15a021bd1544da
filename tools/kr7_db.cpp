// kr7-db: creates, fills and checks the shared database in the install folder.

#include "clock.h"
#include "database.h"
#include "errors.h"
#include "install_folder.h"
#include "seed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

const char* const kUsage =
    "usage: kr7-db init [--demo]       create the database in the install folder\n"
    "       kr7-db seed-results N [SEED] append N synthetic results (for benchmarks)\n"
    "       kr7-db seed-calibrants N [SEED]  append a year of N runs of each calibrant level\n"
    "       kr7-db check               run the database's integrity check\n"
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

int init(bool demo) {
    const QString folder = kr7::files::installFolder();
    if (!QDir().mkpath(folder))
        throw kr7::Error(kr7::errnum::FileError, QStringLiteral("cannot create ") + folder);
    kr7::seed::createDatabase(kr7::files::databaseFile(), {demo, kr7::SystemClock().now()});
    say(QStringLiteral("created %1%2")
            .arg(kr7::files::databaseFile(),
                 demo ? QStringLiteral(" with demo records") : QString()));
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

int run(const QStringList& args) {
    if (args.size() == 1 && args[0] == u"init")
        return init(false);
    if (args.size() == 2 && args[0] == u"init" && args[1] == u"--demo")
        return init(true);
    if (args.size() == 1 && args[0] == u"check")
        return check();
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
