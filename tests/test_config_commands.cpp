// The configuration screen's commands: clearing result tables and "Set to Now".

#include "config_screen_test_support.h"
#include "services.h"

#include <QPushButton>
#include <QTimer>

using namespace kr7;
using test::Dump;

namespace {

const QStringList kResultTables = {QStringLiteral("T_Samples"), QStringLiteral("T_Samples_old"),
                                   QStringLiteral("Samples_historical"),
                                   QStringLiteral("T_Calibration_data")};

// One row in each result table, and a log of the tables rows are deleted from, in order.
void fillResultTables(const test::Fixture& fx) {
    fx.exec(QStringLiteral("CREATE TABLE delete_log (seq INTEGER PRIMARY KEY, tbl TEXT)"));
    for (const QString& table : kResultTables) {
        fx.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table));
        fx.exec(QStringLiteral("CREATE TRIGGER log_%1 AFTER DELETE ON %1 BEGIN INSERT INTO "
                               "delete_log (tbl) VALUES ('%1'); END")
                    .arg(table));
    }
}

QStringList emptiedInOrder(const test::Fixture& fx) {
    QStringList tables;
    auto db = fx.openDatabase();
    auto select = db.prepare(QStringLiteral("SELECT tbl FROM delete_log ORDER BY seq"));
    while (select.step())
        tables << select.column(0).toText();
    return tables;
}

void click(QWidget* screen, const QString& button) {
    test::control<QPushButton>(screen, button)->click();
}

} // namespace

class TestConfigCommands : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void clearingAsksThenEmptiesItsTables_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("emptied");
        const QString samples = QStringLiteral("Do you wish to clear all Samples records");
        const QString calibration = QStringLiteral("Do you wish to clear all Calibration records");
        QTest::newRow("samples, yes")
            << "cmd_samples_clear" << samples << true << kResultTables.mid(0, 3);
        QTest::newRow("calibration, yes")
            << "cmd_calibration_recs_clear" << calibration << true << kResultTables.mid(3);
        QTest::newRow("calibration, no")
            << "cmd_calibration_recs_clear" << calibration << false << QStringList();
    }
    void clearingAsksThenEmptiesItsTables() {
        QFETCH(QString, button);
        QFETCH(QString, question);
        QFETCH(bool, yes);
        QFETCH(QStringList, emptied);
        test::Fixture fx;
        fillResultTables(fx);
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        const Dump before = test::dump(fx);
        fx.prompter.answerNext(yes ? Answer::Yes : Answer::No);
        click(screen, button);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& asked = fx.prompter.prompts[0];
        QCOMPARE(asked.text, question);
        QCOMPARE(asked.title, QStringLiteral("KR7 Software"));
        QCOMPARE(asked.icon, Icon::Exclamation);
        QCOMPARE(asked.buttons, Buttons::YesNo);
        QCOMPARE(asked.defaultAnswer, Answer::No);
        QCOMPARE(emptiedInOrder(fx), emptied);
        for (const QString& table : kResultTables)
            QCOMPARE(fx.query(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toNumber(),
                     emptied.contains(table) ? 0 : 1);
        QCOMPARE(test::changes(before, test::dump(fx)), Dump{});
    }

    // The real box: one Enter on the question must not empty anything.
    void enterOnTheQuestionClearsNothing() {
        test::Fixture fx;
        fillResultTables(fx);
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QtPrompter boxes;
        services().prompter = &boxes;
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        click(screen, QStringLiteral("cmd_samples_clear"));
        services().prompter = &fx.prompter;
        QCOMPARE(emptiedInOrder(fx), QStringList());
    }

    void setToNowStampsTheDate_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("dateField");
        QTest::addColumn<QString>("hoursField");
        const auto row = [](const char* button, const char* key, const char* date,
                            const char* hours) {
            QTest::newRow(button) << button << key << date << hours;
        };
        row("cmd_last_Check_date_now", "PI_16", "txt_last_Check_date",
            "txt_hours_since_last_CHECK");
        row("cmd_Wash_Add_Date_Now", "PI_65", "txt_Wash_Add_Date", "");
    }
    void setToNowStampsTheDate() {
        QFETCH(QString, button);
        QFETCH(QString, key);
        QFETCH(QString, dateField);
        QFETCH(QString, hoursField);
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        fx.clock.set(test::at(2026, 3, 6, 14, 7, 42));
        screen->Show_status_text(QStringLiteral("earlier"));
        const Dump before = test::dump(fx);
        click(screen, button);
        const Dump stamped = test::changes(before, test::dump(fx));
        QCOMPARE(stamped, (Dump{{key, QStringLiteral("2026-03-06 14:07:42")}}));
        QCOMPARE(test::control(screen, dateField)->text(), QStringLiteral("06/03/26 14:07"));
        if (!hoursField.isEmpty())
            QCOMPARE(test::control(screen, hoursField)->text(), QString());
        QCOMPARE(test::promptLine(screen), QString());
        QVERIFY(screen->close());
        QCOMPARE(test::changes(before, test::dump(fx)), stamped);
        QVERIFY(fx.prompter.prompts.empty());
    }
};

KR7_TEST_MAIN(TestConfigCommands)
#include "test_config_commands.moc"
