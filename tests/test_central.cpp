// The central results database on a real PostgreSQL server of the test's own: sync, its
// resumption after the server dies, the unreachable server, and what local changes do to
// the central copy.

#include "central_conf.h"
#include "central_results.h"
#include "central_schema.h"
#include "frm_qc_charts.h"
#include "pg.h"
#include "pg_cluster.h"
#include "qc_runs.h"
#include "results_test_support.h"
#include "seed.h"
#include "sync.h"

#include <QComboBox>
#include <QProcess>
#include <set>

using namespace kr7;

namespace {

// What the central database holds of one instrument.
std::int64_t centralCount(pg::Connection& central, const QString& where = QStringLiteral("true")) {
    return central.exec(QStringLiteral("SELECT count(*) FROM results WHERE ") + where)
        .qtext(0, 0)
        .toLongLong();
}

std::int64_t localCount(const test::Fixture& fx) {
    return std::int64_t(fx.query(QStringLiteral("SELECT (SELECT count(*) FROM T_Samples) + "
                                                "(SELECT count(*) FROM T_Samples_old)"))
                            .toNumber());
}

void seedResults(const test::Fixture& fx, std::int64_t count, std::uint32_t seed) {
    auto db = fx.openDatabase();
    seed::appendResults(db, count, seed, test::at(2026, 3, 1));
}

// Moves the results older than `before` to T_Samples_old, as the instrument does.
void moveToOld(const test::Fixture& fx, const QString& before) {
    fx.exec(QStringLiteral(
                "INSERT INTO T_Samples_old SELECT SA_17, SA_02, SA_06, SA_18, SA_24, SA_15, "
                "SA_03, SA_04, SA_23, SA_31, SA_30, SA_08, SA_21, SA_22, SA_11, SA_12, SA_19, "
                "SA_09 FROM T_Samples WHERE SA_04 < '%1'")
                .arg(before));
    fx.exec(QStringLiteral("DELETE FROM T_Samples WHERE SA_04 < '%1'").arg(before));
}

struct Finished {
    int exitCode;
    QString errors;
};

Finished runKr7Db(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KR7_DB_PATH), arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestCentral : public QObject {
    Q_OBJECT

    test::PgCluster cluster;
    int databases = 0;

    // A fresh central database with its tables, and a connection to it.
    pg::Connection freshCentral(QString* url = nullptr) {
        const QString made = cluster.createDatabase(QStringLiteral("central%1").arg(++databases));
        if (url)
            *url = made;
        auto central = pg::Connection::open(made);
        central::createSchema(central);
        return central;
    }

  private slots:
    void initTestCase() { QVERIFY2(cluster.failure().isEmpty(), qPrintable(cluster.failure())); }

    // Each result once, whichever table holds it, however often it is sent; two instruments
    // side by side, read back newest first for one of them or both.
    void syncSendsEachResultOnce() {
        test::Fixture fx;
        QString url;
        auto central = freshCentral(&url);
        central::createSchema(central); // a second time changes nothing
        seedResults(fx, 2500, 1);
        test::putResults(fx, {test::Result{}});
        test::Result sameInOld;
        sameInOld.table = QStringLiteral("T_Samples_old");
        test::putResults(fx, {sameInOld});
        const std::int64_t distinct = localCount(fx) - 1;

        auto first = central::syncResults(fx.databasePath(), central, 400);
        QCOMPARE(first.sent, distinct);
        QCOMPARE(central::syncResults(fx.databasePath(), central, 400).sent, 0);
        moveToOld(fx, QStringLiteral("2026-02-20"));
        QVERIFY(fx.query(QStringLiteral("SELECT count(*) FROM T_Samples_old")).toNumber() > 500);
        QCOMPARE(central::syncResults(fx.databasePath(), central, 400).sent, 0);
        QCOMPARE(centralCount(central), distinct);

        fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_01 = 102"));
        QCOMPARE(central::syncResults(fx.databasePath(), central, 400).sent, distinct);
        QCOMPARE(centralCount(central, QStringLiteral("instrument = 101")), distinct);
        QCOMPARE(central.exec(QStringLiteral("SELECT sum(rows_sent) FROM instruments"))
                     .qtext(0, 0)
                     .toLongLong(),
                 2 * distinct);

        for (const std::optional<int> instrument : {std::optional<int>(), std::optional(102)}) {
            auto rows = central::openResults(url, instrument);
            QCOMPARE(rows->columnCount(), 19);
            QCOMPARE(rows->columnName(7), QStringLiteral("DATE_TESTED"));
            QCOMPARE(rows->columnName(18), QStringLiteral("INSTRUMENT"));
            std::int64_t count = 0;
            std::string newer = "9999";
            std::set<std::int64_t> instruments;
            while (rows->step()) {
                const std::string tested(rows->columnUtf8(7));
                QVERIFY(tested <= newer);
                newer = tested;
                instruments.insert(rows->columnWhole(18));
                ++count;
            }
            QCOMPARE(count, instrument ? distinct : 2 * distinct);
            QCOMPARE(instruments.size(), instrument ? 1U : 2U);
        }
        const qc::RunFilter check{2, qc::Result::First, QDate(2026, 1, 1), QDate(2026, 3, 1)};
        auto db = fx.openDatabase();
        const auto local = qc::readRuns(db, check).runs.size();
        QVERIFY(local > 0);
        QCOMPARE(qc::readCentralRuns(url, 102, check).runs.size(), local);
        QCOMPARE(qc::readCentralRuns(url, {}, check).runs.size(), 2 * local);
    }

    // The server dies in the middle of a sync; once it is back, a second sync leaves every
    // result there exactly once.
    void syncResumesAfterServerKilled() {
        test::Fixture fx;
        QString url;
        auto central = freshCentral(&url);
        seedResults(fx, 200000, 2);
        QProcess sync;
        sync.start(QStringLiteral(KR7_DB_PATH),
                   {QStringLiteral("sync"), QStringLiteral("--central"), url});
        QVERIFY(QTest::qWaitFor([&] { return centralCount(central) > 0; }, 60000));
        cluster.kill();
        QVERIFY(sync.waitForFinished(60000));
        QCOMPARE(sync.exitCode(), 1);
        QVERIFY(sync.readAllStandardError().contains("Central database not reachable"));
        QVERIFY(cluster.start());

        central = pg::Connection::open(url);
        QVERIFY(centralCount(central) < localCount(fx));
        central::syncResults(fx.databasePath(), central);
        QCOMPARE(centralCount(central), localCount(fx));
    }

    // "All instruments" in the results browser: every instrument's rows with its number, and
    // the QC screen's choice of each instrument; an unreachable server is reported and this
    // instrument's own rows stay.
    void browserShowsEveryInstrument() {
        test::Fixture fx;
        Open_database();
        QString url;
        auto central = freshCentral(&url);
        test::putResults(fx, test::numberedResults(3));
        central::syncResults(fx.databasePath(), central);
        fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_01 = 102"));
        central::syncResults(fx.databasePath(), central);
        fx.exec(QStringLiteral("DELETE FROM T_Samples WHERE SA_02 = 'B0'"));

        for (const QString& password : {test::PgCluster::kPassword, QStringLiteral("wrong")}) {
            central::writeConf(cluster.url(url.section(u'/', -1), password));
            auto* screen = test::openBrowser();
            auto* source = test::control<QComboBox>(screen, QStringLiteral("cbo_source"));
            QVERIFY(source->isVisible());
            source->setCurrentIndex(1);
            test::waitForEveryRow(screen);
            const RecordGridModel& grid = test::gridOf(screen)->grid();
            const int instrument = grid.columnIndex(u"INSTRUMENT");
            QStringList shown;
            for (int row = 0; row < grid.gridRowCount(); ++row)
                shown << grid.cellText(row, test::keyColumn(screen, "BARCODE")) + u' ' +
                             (instrument < 0 ? QString() : grid.cellText(row, instrument));
            shown.sort();
            if (password == test::PgCluster::kPassword) {
                QCOMPARE(shown,
                         QStringList({"B0 101", "B0 102", "B1 101", "B1 102", "B2 101", "B2 102"}));
            } else {
                QCOMPARE(source->currentIndex(), 0);
                QCOMPARE(shown, QStringList({"B1 ", "B2 "}));
                QVERIFY2(
                    fx.prompter.prompts.back().text.contains(u"Central database not reachable"),
                    qPrintable(fx.prompter.prompts.back().text));
            }
            delete screen;

            QWidget* qcScreen = openQcCharts(nullptr);
            const auto* qcSource = test::control<QComboBox>(qcScreen, QStringLiteral("cbo_source"));
            QStringList choices;
            for (int i = 0; i < qcSource->count(); ++i)
                choices << qcSource->itemText(i);
            QCOMPARE(choices.size(), password == test::PgCluster::kPassword ? 4 : 1);
            delete qcScreen;
        }
        closeDatabase();
    }

    void unreachableServerIsReported_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused")
            << QStringLiteral("postgresql://kr7@127.0.0.1:%1/postgres").arg(test::freePort())
            << "Connection refused";
        QTest::newRow("wrong password")
            << cluster.url(QStringLiteral("postgres"), QStringLiteral("wrong"))
            << "password authentication failed";
    }

    void unreachableServerIsReported() {
        QFETCH(QString, url);
        QFETCH(QString, reason);
        test::Fixture fx;
        for (const QString& command : {QStringLiteral("sync"), QStringLiteral("central-init")}) {
            const Finished run = command == u"sync"
                                     ? runKr7Db({command, QStringLiteral("--central"), url})
                                     : runKr7Db({command, url});
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.errors.contains(u"Central database not reachable: ") &&
                         run.errors.contains(reason),
                     qPrintable(run.errors));
        }
    }

    // Emptied tables leave the central rows, and the results stored after (or before) still
    // go; a result changed after it was sent stays in the central database as it was sent.
    void localChangesAfterSync() {
        test::Fixture fx;
        auto central = freshCentral();
        test::putResults(fx, test::numberedResults(300)); // a minute apart
        central::syncResults(fx.databasePath(), central);
        fx.exec(QStringLiteral("UPDATE T_Samples SET SA_15 = 'changed' WHERE SA_02 = 'B200'"));
        central::syncResults(fx.databasePath(), central);
        QCOMPARE(centralCount(central, QStringLiteral("barcode = 'B200'")), 1);
        QCOMPARE(centralCount(central, QStringLiteral("system_notes = 'changed'")), 0);

        fx.exec(QStringLiteral("DELETE FROM T_Samples"));
        QCOMPARE(central::syncResults(fx.databasePath(), central).read, 0);
        test::Result later, earlier;
        later.barcode = QStringLiteral("LATER");
        later.tested = QStringLiteral("2026-03-02 08:00:00");
        earlier.barcode = QStringLiteral("EARLIER");
        earlier.tested = QStringLiteral("2025-01-01 08:00:00");
        earlier.notes = QStringLiteral("back\\slash\ttab\nline 血浆 '; DROP TABLE results; --");
        test::putResults(fx, {earlier});
        QCOMPARE(central::syncResults(fx.databasePath(), central).sent, 1);
        QCOMPARE(central
                     .exec(QStringLiteral("SELECT system_notes FROM results WHERE barcode = $1"),
                           {pg::param(earlier.barcode)})
                     .qtext(0, 0),
                 earlier.notes);
        test::putResults(fx, {later});
        QCOMPARE(central::syncResults(fx.databasePath(), central).sent, 1);
        QCOMPARE(centralCount(central), 302);
    }
};

KR7_TEST_MAIN(TestCentral)
#include "test_central.moc"
