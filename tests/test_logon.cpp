// Start-up and log-on: the checks before any screen, the password prompt flag and the
// daily password.

#include "common_procs.h"
#include "database.h"
#include "errors.h"
#include "frm_password.h"
#include "guarded_application.h"
#include "install_folder.h"
#include "services.h"
#include "test_support.h"

#include <QApplication>
#include <QDir>
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

QLineEdit* passwordField(frm_password* form) {
    return form->findChild<QLineEdit*>(QStringLiteral("txt_password"));
}

void setPasswordFlag(test::Fixture& fx, bool on) {
    fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_41 = %1").arg(on ? 1 : 0));
}

} // namespace

class TestLogon : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void missingDatabaseEndsWithItsMessageEvenBesideASecondCopy() {
        test::Fixture fx(false);
        QLockFile other(files::instanceLockFile());
        QVERIFY(other.tryLock(0));
        const auto s = startUp();
        QVERIFY(s->ended);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& p = fx.prompter.prompts[0];
        QCOMPARE(p.text, QStringLiteral("Cannot find ") + QDir::toNativeSeparators(fx.folder()));
        QVERIFY(p.text.endsWith(QDir::separator()));
        QCOMPARE(p.title, QStringLiteral("Contact Support before continuing"));
        QCOMPARE(p.icon, Icon::Exclamation);
        QCOMPARE(p.buttons, Buttons::Ok);
        QCOMPARE(s->configOpened, 0);
    }

    // Only a running copy's lock is "already running"; a lock file nobody can take over is
    // an error that names the folder.
    void aLockNotTakenEndsWithoutOpeningTheDatabase_data() {
        QTest::addColumn<bool>("runningCopy");
        QTest::newRow("held by a running copy") << true;
        QTest::newRow("unreadable lock file") << false;
    }
    void aLockNotTakenEndsWithoutOpeningTheDatabase() {
        QFETCH(bool, runningCopy);
        test::Fixture fx;
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
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& p = fx.prompter.prompts[0];
        if (runningCopy) {
            QCOMPARE(p.text, QStringLiteral("Program already running"));
            QCOMPARE(p.title, QStringLiteral("KR7 Software"));
        } else {
            QVERIFY(p.text.startsWith(QStringLiteral("Cannot lock the folder ") +
                                      QDir::toNativeSeparators(fx.folder())));
            QCOMPARE(p.title, QStringLiteral("Contact Support before continuing"));
        }
        QCOMPARE(p.icon, Icon::Exclamation);
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

    void passwordFlagDecidesWhetherTheFormIsShown_data() {
        QTest::addColumn<bool>("flag");
        QTest::newRow("off: straight to the configuration screen") << false;
        QTest::newRow("on: the log-on form waits") << true;
    }
    void passwordFlagDecidesWhetherTheFormIsShown() {
        QFETCH(bool, flag);
        test::Fixture fx;
        setPasswordFlag(fx, flag);
        const auto s = startUp();
        QVERIFY(!s->ended);
        QCOMPARE(s->configOpened, flag ? 0 : 1);
        if (flag) {
            QVERIFY(s->form->isVisible());
            QCOMPARE(s->form->windowTitle(), QStringLiteral("Password"));
        } else {
            QTRY_VERIFY(s->form.isNull()); // unloaded without ever being shown
        }
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
        QLineEdit* field = passwordField(s->form);
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
};

KR7_TEST_MAIN(TestLogon)
#include "test_logon.moc"
