// Sharing the database file with a busy instrument: nothing either program acknowledged may
// be lost, under lock contention or when either is killed mid-write.

#include "common_procs.h"
#include "config_screen_test_support.h"
#include "database.h"
#include "errors.h"
#include "install_folder.h"
#include "services.h"
#include "test_support.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

using namespace kr7;

namespace {

// What the stand-ins said they committed.
struct Acknowledged {
    QStringList samples;
    qint64 lastSampleCount = -1;
    qint64 lastWriterCount = 0;
};

Acknowledged readAcknowledged(const QByteArray& output) {
    Acknowledged a;
    for (const QByteArray& raw : output.split('\n')) {
        const QStringList words = QString::fromUtf8(raw).split(u' ');
        if (words.size() < 2 || words[0] != u"ACK")
            continue; // a line cut short by a kill, or the closing summary
        if (words[1] == u"SAMPLE" && words.size() == 3)
            a.samples << words[2];
        else if (words[1] == u"COUNTER" && words.size() == 4)
            a.lastSampleCount = words[3].toLongLong();
        else if (words.size() == 2)
            a.lastWriterCount = words[1].toLongLong();
    }
    return a;
}

// Many short writes; `longHolds` makes a few writes a second that hold the file longer than
// a statement's busy wait, so that our side meets real lock conflicts.
void startSim(QProcess& sim, int durationMs, int seed, bool longHolds = false) {
    sim.start(QStringLiteral(KR7_SIM_PATH),
              {QStringLiteral("--duration-ms"), QString::number(durationMs),
               QStringLiteral("--rate"), longHolds ? QStringLiteral("0.5") : QStringLiteral("40"),
               QStringLiteral("--hold-ms"),
               longHolds ? QStringLiteral("1500") : QStringLiteral("10"), QStringLiteral("--seed"),
               QString::number(seed)});
    QVERIFY(sim.waitForStarted());
}

void verifyIntegrity(const test::Fixture& fx) {
    QCOMPARE(fx.query(QStringLiteral("PRAGMA integrity_check")).toText(), QStringLiteral("ok"));
}

// Every sample the instrument acknowledged is there, and no counter went backwards.
void verifyInstrumentWrites(const test::Fixture& fx, const Acknowledged& a) {
    auto db = fx.openDatabase();
    auto find = db.prepare(QStringLiteral("SELECT count(*) FROM T_Samples WHERE SA_02 = ?1"));
    for (const QString& barcode : a.samples) {
        find.bind(1, Value::text(barcode));
        QVERIFY(find.step());
        QVERIFY2(find.columnWhole(0) == 1, qPrintable(barcode));
        find.reset();
    }
    if (a.lastSampleCount >= 0)
        QVERIFY(fx.query(QStringLiteral("SELECT PI_15 FROM T_PIC_list")).toNumber() >=
                double(a.lastSampleCount));
}

} // namespace

class TestSharedFile : public QObject {
    Q_OBJECT

  private slots:
    // Into a folder that is there already or not yet; never over a database.
    void kr7DbInitMakesADatabaseOnce_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("folder there, empty") << QString();
        QTest::newRow("folders not yet made") << QStringLiteral("a/b");
    }
    void kr7DbInitMakesADatabaseOnce() {
        QFETCH(QString, folder);
        const test::Fixture fx(false);
        const QString home = QDir(fx.folder()).filePath(folder);
        QProcess init;
        init.setProcessEnvironment([&] {
            auto environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("KR7_HOME"), home);
            return environment;
        }());
        for (const int expectedExit : {0, 1}) {
            init.start(QStringLiteral(KR7_DB_PATH), {QStringLiteral("init")});
            QVERIFY(init.waitForFinished(60000));
            QCOMPARE(init.exitStatus(), QProcess::NormalExit);
            QCOMPARE(init.exitCode(), expectedExit);
        }
        QVERIFY(QFileInfo::exists(QDir(home).filePath(QStringLiteral("KR7-d-4-0.db"))));
    }

    // The same through the configuration screen: what the user typed and left is what is
    // stored, field by field, while the instrument writes.
    void screenEditsLoseNothingUnderContention() {
        test::Fixture fx;
        SystemClock realClock;
        services().clock = &realClock;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        const QStringList names = {QStringLiteral("txt_site_name"), QStringLiteral("txt_KR7_Name"),
                                   QStringLiteral("txt_params(10)"),
                                   QStringLiteral("txt_timer_name(3)")};
        QProcess sim, slowSim;
        startSim(sim, 5000, 5);
        startSim(slowSim, 5000, 6, true);
        int edits = 0;
        std::map<QString, QString> lastTyped;
        while (sim.state() != QProcess::NotRunning) {
            const QString& name = names[edits % names.size()];
            auto* field = test::control(screen, name);
            QVERIFY(test::focusOn(field));
            const QString text = QString::number(1000 + edits++);
            test::retype(field, text);
            QTest::keyClick(field, Qt::Key_Return); // commits on the way to cmd_dummy
            lastTyped[name] = text;
            sim.waitForFinished(1);
        }
        QVERIFY(slowSim.waitForFinished());
        test::deleteTopLevelWindows();
        qInfo("screen edits committed under contention: %d", edits);
        QCOMPARE(Get_PC_Config_value(QStringLiteral("PC_02")).toText(),
                 lastTyped[QStringLiteral("txt_site_name")]);
        QCOMPARE(Get_PIC_list_value(QStringLiteral("PI_30")).toText(),
                 lastTyped[QStringLiteral("txt_KR7_Name")]);
        QCOMPARE(Get_PIC_Param_value(10).toText(), lastTyped[QStringLiteral("txt_params(10)")]);
        QCOMPARE(Get_PC_Config_value(QStringLiteral("PC_75")).toText(),
                 lastTyped[QStringLiteral("txt_timer_name(3)")]);
        QVERIFY(fx.prompter.prompts.empty());
        verifyInstrumentWrites(fx, readAcknowledged(sim.readAllStandardOutput()));
        verifyIntegrity(fx);
    }

    void killedMidWriteLosesNothingAcknowledged() {
        test::Fixture fx;
        int killsSurvived = 0;
        double previous = 1; // PC_01 as the database starts
        for (int round = 1; round <= 4; ++round) {
            QProcess sim, writer;
            startSim(sim, 60000, 10 + round);
            writer.start(QStringLiteral(KR7_WRITER_PATH), {});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(QRandomGenerator::global()->bounded(300, 1200));
            QCOMPARE(writer.state(), QProcess::Running);
            QCOMPARE(sim.state(), QProcess::Running);
            writer.kill();
            sim.kill();
            QVERIFY(writer.waitForFinished());
            QVERIFY(sim.waitForFinished());
            killsSurvived += 2;
            verifyIntegrity(fx);
            const QByteArray writerOutput = writer.readAllStandardOutput();
            const Acknowledged ours = readAcknowledged(writerOutput);
            verifyInstrumentWrites(fx, readAcknowledged(sim.readAllStandardOutput()));
            // The write after the last acknowledged one may have been committed, not more.
            const double acknowledged = std::max(previous, double(ours.lastWriterCount));
            const double stored =
                fx.query(QStringLiteral("SELECT PC_01 FROM T_PC_Configuration")).toNumber();
            QVERIFY2(
                stored >= acknowledged && stored <= acknowledged + 1,
                qPrintable(
                    QStringLiteral("stored %1, acknowledged %2").arg(stored).arg(acknowledged)));
            previous = stored;
            QVERIFY(!writerOutput.contains("BOX"));
        }
        qInfo("kills survived: %d", killsSurvived);
    }
};

KR7_TEST_MAIN(TestSharedFile)
#include "test_shared_file.moc"
