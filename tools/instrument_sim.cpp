// kr7-instrument-sim: a stand-in for the instrument's operating program. It opens the shared
// database as that program would and, for a given time, appends results, counts samples in
// T_PIC_list and dips in a calibrant record, holding each write transaction for a random
// short spell. Every write it made is printed once it is committed ("ACK ..."), so that a
// test can check afterwards that none of them was lost.

#include "errors.h"
#include "install_folder.h"
#include "sqlite_db.h"

#include <QCoreApplication>
#include <QDateTime>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <thread>

namespace {

using namespace std::chrono;

struct Settings {
    milliseconds duration{5000};
    double writesPerSecond = 50;
    milliseconds longestHold{20};
    std::uint32_t seed = 1;
};

const char* const kUsage =
    "usage: kr7-instrument-sim [--duration-ms N] [--rate WRITES_PER_SECOND] [--hold-ms N]\n"
    "                          [--seed N]\n"
    "Writes into the database of the install folder (KR7_HOME) until the time is up.\n";

std::optional<Settings> parse(const QStringList& args) {
    Settings s;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        bool ok = false;
        const double value = args[i + 1].toDouble(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        if (args[i] == u"--duration-ms")
            s.duration = milliseconds(qint64(value));
        else if (args[i] == u"--rate" && value > 0)
            s.writesPerSecond = value;
        else if (args[i] == u"--hold-ms")
            s.longestHold = milliseconds(qint64(value));
        else if (args[i] == u"--seed")
            s.seed = std::uint32_t(value);
        else
            return std::nullopt;
    }
    if (args.size() % 2 != 0)
        return std::nullopt;
    return s;
}

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString nowText() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

class Instrument {
    // A write is repeated until the database lets it through, as the instrument does.
    template <class F> auto untilLetThrough(F&& write) {
        for (;;) {
            try {
                return write();
            } catch (const kr7::Error& e) {
                if (e.number() != kr7::errnum::RecordLocked)
                    throw;
                ++conflicts_;
            }
        }
    }

    template <class F> void transaction(F&& write) {
        kr7::sql::WriteTransaction t(db_);
        write();
        const auto longest = settings_.longestHold.count();
        std::this_thread::sleep_for(
            milliseconds(std::uniform_int_distribution<qint64>(0, longest)(random_)));
        t.commit();
    }

  public:
    Instrument(kr7::sql::Database& db, const Settings& s)
        : db_(db), settings_(s), random_(s.seed), tube_(QStringLiteral("SIMTUBE-%1").arg(s.seed)) {}

    void writeOne() {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random_);
        const QString acknowledged = untilLetThrough([&] {
            return kind < 6 ? appendResult() : kind < 8 ? countSample() : countDip();
        });
        ++writes_;
        say(QStringLiteral("ACK ") + acknowledged);
    }

    void addTube() {
        untilLetThrough([&] {
            transaction([&] {
                db_.prepare(QStringLiteral("INSERT INTO T_Calibration_data (CD_02, CD_03, "
                                           "CD_04, CD_07, CD_09) VALUES (?1, ?2, ?2, 0, 0)"))
                    .bindAll({kr7::Value::text(tube_), kr7::Value::text(nowText())})
                    .run();
            });
            return 0;
        });
    }

    int writes() const { return writes_; }
    int conflicts() const { return conflicts_; }

  private:
    QString appendResult() {
        const QString barcode = QStringLiteral("SIM%1-%2").arg(settings_.seed).arg(++results_);
        transaction([&] {
            db_.prepare(QStringLiteral("INSERT INTO T_Samples (SA_02, SA_04, SA_08, SA_11, "
                                       "SA_12, SA_24, SA_19) VALUES (?1, ?2, 1, 1.5, 1.3, 2000, "
                                       "101)"))
                .bindAll({kr7::Value::text(barcode), kr7::Value::text(nowText())})
                .run();
        });
        return QStringLiteral("SAMPLE ") + barcode;
    }

    QString countSample() {
        qint64 value = 0;
        transaction([&] {
            auto update = db_.prepare(
                QStringLiteral("UPDATE T_PIC_list SET PI_15 = coalesce(PI_15, 0) + 1 WHERE rowid = "
                               "(SELECT min(rowid) FROM T_PIC_list) RETURNING PI_15"));
            if (update.step())
                value = update.columnWhole(0);
            update.run();
        });
        return QStringLiteral("COUNTER PI_15 %1").arg(value);
    }

    QString countDip() {
        qint64 value = 0;
        transaction([&] {
            auto update = db_.prepare(QStringLiteral(
                "UPDATE T_Calibration_data SET CD_09 = CD_09 + 1, CD_03 = ?2 WHERE CD_02 = ?1 "
                "RETURNING CD_09"));
            update.bindAll({kr7::Value::text(tube_), kr7::Value::text(nowText())});
            if (update.step())
                value = update.columnWhole(0);
            update.run();
        });
        return QStringLiteral("DIPS %1 %2").arg(tube_).arg(value);
    }

    kr7::sql::Database& db_;
    Settings settings_;
    std::mt19937 random_;
    QString tube_;
    int results_ = 0;
    int writes_ = 0;
    int conflicts_ = 0;
};

int run(const Settings& settings) {
    auto db = kr7::sql::Database::open(kr7::files::databaseFile());
    Instrument instrument(db, settings);
    instrument.addTube();
    const auto interval =
        duration_cast<microseconds>(duration<double>(1.0 / settings.writesPerSecond));
    const auto start = steady_clock::now();
    auto next = start;
    while (steady_clock::now() - start < settings.duration) {
        instrument.writeOne();
        // A writer that has fallen behind does not make up for it in one burst.
        next = std::max(next + interval, steady_clock::now());
        std::this_thread::sleep_until(next);
    }
    say(QStringLiteral("DONE writes=%1 conflicts=%2")
            .arg(instrument.writes())
            .arg(instrument.conflicts()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    const auto settings = parse(args);
    if (!settings) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return run(*settings);
    } catch (const kr7::Error& e) {
        std::fprintf(stderr, "kr7-instrument-sim: %s\n", qPrintable(e.description()));
        return 1;
    }
}
