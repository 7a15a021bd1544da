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

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Damages the file by SQL, or by "text" (not a database), "truncate" (its first page only)
// or "read-only"; false when this machine cannot make the damage (a read-only file stays
// writable for the superuser).
bool damage(const test::Fixture& fx, const QString& how) {
    QFile f(fx.databasePath());
    if (how == u"read-only") {
        f.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        return !QFileInfo(f).isWritable();
    }
    if (how != u"text" && how != u"truncate") {
        fx.exec(how);
        return true;
    }
    QByteArray bytes = "These are not the records you are looking for.\n";
    if (f.open(QIODevice::ReadOnly))
        bytes = how == u"truncate" ? f.read(4096) : bytes.repeated(90);
    f.close();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestDamagedDatabase : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void startUpOnADamagedDatabase_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("firstMessage");
        QTest::addColumn<bool>("ends");
        const char* load = "frm_password : form_load";
        const char* picRecords =
            "Incorrect number of PIC records - Please run Utility_Clean_up_PIC_records";
        const auto row = [](const char* name, const char* how, const char* message, bool ends) {
            QTest::newRow(name) << how << message << ends;
        };
        row("not a database", "text", load, false);
        row("truncated", "truncate", load, false);
        row("missing table", "DROP TABLE T_PIC_Params", load, false);
        row("missing column", "ALTER TABLE T_PC_Configuration DROP COLUMN PC_41", load, false);
        row("wrong column type", "UPDATE T_PC_Configuration SET PC_41 = 'garbage'", load, false);
        row("no instrument record", "DELETE FROM T_PIC_list", picRecords, true);
        row("two instrument records", "INSERT INTO T_PIC_list (PI_01) VALUES (102)", picRecords,
            true);
        row("no PC configuration record", "DELETE FROM T_PC_Configuration", load, false);
        row("read-only file", "read-only", "", false);
    }
    void startUpOnADamagedDatabase() {
        QFETCH(QString, how);
        QFETCH(QString, firstMessage);
        QFETCH(bool, ends);
        test::Fixture fx;
        // Opens without the password so that the configuration screen loads too.
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_41 = 0"));
        if (!damage(fx, how))
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
