// Starting on a damaged database: a clear message every time, never a crash or a hang, and
// nothing written to a file the program could not read.

#include "database.h"
#include "frm_config.h"
#include "frm_password.h"
#include "services.h"
#include "test_support.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>

using namespace kr7;

namespace {

enum class Damage {
    NotADatabase,
    Truncated,
    MissingTable,
    MissingColumn,
    WrongColumnType,
    NoInstrumentRecord,
    TwoInstrumentRecords,
    NoPcConfigurationRecord,
    ReadOnlyFile,
};

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void overwrite(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray firstPage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096);
}

// Returns false when this machine cannot make the damage (a read-only file stays writable
// for the superuser).
bool damage(test::Fixture& fx, Damage d) {
    const QString path = fx.databasePath();
    switch (d) {
    case Damage::NotADatabase:
        overwrite(path,
                  QByteArray("These are not the records you are looking for.\n").repeated(90));
        break;
    case Damage::Truncated:
        overwrite(path, firstPage(path));
        break;
    case Damage::MissingTable:
        fx.exec(QStringLiteral("DROP TABLE T_PIC_Params"));
        break;
    case Damage::MissingColumn:
        fx.exec(QStringLiteral("ALTER TABLE T_PC_Configuration DROP COLUMN PC_41"));
        break;
    case Damage::WrongColumnType:
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_41 = 'garbage'"));
        break;
    case Damage::NoInstrumentRecord:
        fx.exec(QStringLiteral("DELETE FROM T_PIC_list"));
        break;
    case Damage::TwoInstrumentRecords:
        fx.exec(QStringLiteral("INSERT INTO T_PIC_list (PI_01) VALUES (102)"));
        break;
    case Damage::NoPcConfigurationRecord:
        fx.exec(QStringLiteral("DELETE FROM T_PC_Configuration"));
        break;
    case Damage::ReadOnlyFile:
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        return !QFileInfo(path).isWritable();
    }
    return true;
}

} // namespace

class TestDamagedDatabase : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void startUpOnADamagedDatabase_data() {
        QTest::addColumn<Damage>("damageDone");
        QTest::addColumn<QString>("firstMessage");
        QTest::addColumn<bool>("ends");
        const QString load = QStringLiteral("frm_password : form_load");
        const QString picRecords = QStringLiteral(
            "Incorrect number of PIC records - Please run Utility_Clean_up_PIC_records");
        QTest::newRow("not a database") << Damage::NotADatabase << load << false;
        QTest::newRow("truncated") << Damage::Truncated << load << false;
        QTest::newRow("missing table") << Damage::MissingTable << load << false;
        QTest::newRow("missing column") << Damage::MissingColumn << load << false;
        QTest::newRow("wrong column type") << Damage::WrongColumnType << load << false;
        QTest::newRow("no instrument record") << Damage::NoInstrumentRecord << picRecords << true;
        QTest::newRow("two instrument records")
            << Damage::TwoInstrumentRecords << picRecords << true;
        QTest::newRow("no PC configuration record")
            << Damage::NoPcConfigurationRecord << load << false;
        QTest::newRow("read-only file") << Damage::ReadOnlyFile << QString() << false;
    }
    void startUpOnADamagedDatabase() {
        QFETCH(Damage, damageDone);
        QFETCH(QString, firstMessage);
        QFETCH(bool, ends);
        test::Fixture fx;
        // Opens without the password so that the configuration screen loads too.
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_41 = 0"));
        if (!damage(fx, damageDone))
            QSKIP("this user can write to a read-only file");
        const QByteArray before = fileHash(fx.databasePath());
        bool ended = false;
        try {
            (new frm_password(openConfigScreen))->Form_Load();
        } catch (const ProgramEnded&) {
            ended = true;
        }
        QCOMPARE(ended, ends);
        if (firstMessage.isEmpty()) {
            QVERIFY(fx.prompter.prompts.empty());
        } else {
            QVERIFY(!fx.prompter.prompts.empty());
            QVERIFY2(fx.prompter.prompts[0].text.startsWith(firstMessage),
                     qPrintable(fx.prompter.prompts[0].text));
        }
        // Something is on screen unless the program ended: the log-on form or the
        // configuration screen.
        if (!ended)
            QVERIFY(!QApplication::topLevelWidgets().isEmpty());
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close(); // the close-time save must not write either
        closeDatabase();
        QCOMPARE(fileHash(fx.databasePath()), before);
    }
};

KR7_TEST_MAIN(TestDamagedDatabase)
#include "test_damaged_database.moc"
