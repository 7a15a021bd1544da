// Start-up and log-on: the checks before any screen, a damaged database (a clear message every
// time, never a crash, nothing written to a file the program could not read), the password
// prompt flag and the daily password.

#include "common_procs.h"
#include "database.h"
#include "errors.h"
#include "frm_config.h"
#include "frm_password.h"
#include "guarded_application.h"
#include "install_folder.h"
#include "services.h"
#include "test_support.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QPointer>
#include <QSignalSpy>

using namespace kr7;

namespace {

struct Started {
    QPointer<frm_password> form;
    int configOpened = 0;
    bool ended = false;
};

// Runs the start-up sequence with an opener that only counts.
std::unique_ptr<Started> startUp() {
    auto started = std::make_unique<Started>();
    Started* s = started.get();
    s->form = new frm_password([s] { ++s->configOpened; });
    try {
        s->form->Form_Load();
    } catch (const ProgramEnded&) {
        s->ended = true;
    }
    return started;
}

void setPasswordFlag(test::Fixture& fx, bool on) {
    fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_41 = %1").arg(on ? 1 : 0));
}

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

class TestLogon : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    // A missing database is named even beside a running copy. Only a running copy's lock is
    // "already running"; a lock file nobody can take over is an error that names the folder.
    void startUpEndsOnAMissingDatabaseOrALockNotTaken_data() {
        QTest::addColumn<bool>("database");
        QTest::addColumn<bool>("runningCopy");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString support = QStringLiteral("Contact Support before continuing");
        QTest::newRow("no database") << false << true << "Cannot find " << support;
        QTest::newRow("held by a running copy") << true << true << "Program already running"
                                                << "KR7 Software";
        QTest::newRow("unreadable lock file")
            << true << false << "Cannot lock the folder " << support;
    }
    void startUpEndsOnAMissingDatabaseOrALockNotTaken() {
        QFETCH(bool, database);
        QFETCH(bool, runningCopy);
        QFETCH(QString, text);
        QFETCH(QString, title);
        test::Fixture fx(database);
        QLockFile other(files::instanceLockFile());
        if (runningCopy) {
            QVERIFY(other.tryLock(0));
        } else {
            QFile unreadable(files::instanceLockFile());
            QVERIFY(unreadable.open(QIODevice::WriteOnly));
            unreadable.write("not a lock\n");
        }
        const auto s = startUp();
        QVERIFY(s->ended);
        QCOMPARE(s->configOpened, 0);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& p = fx.prompter.prompts[0];
        if (text.endsWith(u' '))
            text += QDir::toNativeSeparators(fx.folder());
        QVERIFY2(runningCopy ? p.text == text : p.text.startsWith(text), qPrintable(p.text));
        QCOMPARE(p.title, title);
        QCOMPARE(p.icon, Icon::Exclamation);
        QCOMPARE(p.buttons, Buttons::Ok);
        QVERIFY_THROWS_EXCEPTION(Error, Get_connection());
    }

    void lockLeftByACrashedCopyDoesNotBlock() {
        test::Fixture fx;
        QFile stale(files::instanceLockFile());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        // The owner's process id is one that no running process has.
        stale.write(QByteArray("2147483646\n") + QCoreApplication::applicationName().toUtf8() +
                    "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        const auto s = startUp();
        QVERIFY(!s->ended);
        QVERIFY(fx.prompter.prompts.empty());
    }

    void noPasswordFlagGoesStraightToTheConfigurationScreen() {
        test::Fixture fx;
        setPasswordFlag(fx, false);
        const auto s = startUp();
        QVERIFY(!s->ended);
        QCOMPARE(s->configOpened, 1);
        QTRY_VERIFY(s->form.isNull()); // unloaded without ever being shown
        QVERIFY(fx.prompter.prompts.empty());
    }

    void dailyPassword_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        const QString prefix = QLatin1String(frm_password::kLogonPrefix);
        const QDateTime fifth = test::at(2026, 3, 5, 23, 59, 59);
        const QDateTime sixth = test::at(2026, 3, 6, 0, 0, 0);
        QTest::newRow("the 5th") << fifth << prefix + "05" << true;
        QTest::newRow("just after midnight") << sixth << prefix + "05" << false;
        QTest::newRow("one-digit day") << fifth << prefix + "5" << false;
    }
    void dailyPassword() {
        QFETCH(QDateTime, now);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        test::Fixture fx;
        setPasswordFlag(fx, true);
        fx.clock.set(now);
        const auto s = startUp();
        QVERIFY(s->form->isVisible());
        QCOMPARE(s->form->windowTitle(), QStringLiteral("Password"));
        auto* field = s->form->findChild<QLineEdit*>(QStringLiteral("txt_password"));
        QVERIFY(QTest::qWaitForWindowActive(s->form));
        QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
        QTest::keyClicks(field, typed);
        QCOMPARE(field->displayText(), QString(typed.size(), u'*'));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(returnPressed.count(), 0); // Enter never reaches the field
        QCOMPARE(s->configOpened, accepted ? 1 : 0);
        QVERIFY(fx.prompter.prompts.empty());
        if (accepted) {
            QTRY_VERIFY(s->form.isNull());
        } else {
            QVERIFY(s->form->isVisible());
            QCOMPARE(field->text(), QString());
            QVERIFY(field->hasFocus());
        }
    }

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

KR7_TEST_MAIN(TestLogon)
#include "test_logon.moc"
