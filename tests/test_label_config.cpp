// The label screen: what leaving a field writes (with the copies of the chosen cycles), what
// it refuses, the close-time save and the reports of a slot write.

#include "cleaning_test_support.h"
#include "error_report.h"
#include "frm_label_config.h"

using namespace kr7;

namespace {

// The cycles chosen for start-up, post-test and menu cleaning (PI_48, PI_50, PI_52): "2 1 2".
void setCycles(const test::Fixture& fx, const QString& cycles) {
    const QStringList c = cycles.split(u' ');
    fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_48 = '%1', PI_50 = '%2', PI_52 = '%3'")
                .arg(c[0], c[1], c[2]));
}

} // namespace

class TestLabelConfig : public QObject {
    Q_OBJECT

  private slots:
    // Left by Tab, by closing the screen, or by Tab after Esc put back the text on entry.
    void leavingWritesTheFieldAndTheCopiesOfItsCycle_data() {
        QTest::addColumn<QString>("cycles"); // PI_48, PI_50, PI_52
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("writes");
        const auto row = [](const char* name, const char* cycles, const char* field,
                            const char* typed, const char* leave, const char* stored,
                            const QStringList& writes) {
            QTest::newRow(name) << cycles << field << typed << leave << stored << writes;
        };
        row("cycle 2 wash label", "2 1 2", "txt_label(34)", "NEW", "tab", "NEW",
            {"slot 34 LN_03", "slot 30 LN_03", "slot 24 LN_03"});
        row("cycle 1 wash label, post-test only", "2 1 2", "txt_label(33)", "NEW", "tab", "NEW",
            {"slot 33 LN_03", "slot 28 LN_03"});
        row("action label", "1 1 1", "txt_label(6)", "N'EW", "tab", "N'EW", {"slot 6 LN_03"});
        row("cycle 5 dry time, every moment", "5 5 5", "txt_dry_time(4)", "7", "tab", "7",
            {"PI_75", "PI_83", "PI_85", "PI_87"});
        row("letters swallowed", "1 1 1", "txt_wash_time(7)", "4x-5.", "tab", "45", {"PI_80"});
        row("cycle 4 description", "1 1 1", "txt_desc(4)", "O'Brien's soak", "tab",
            "O'Brien's soak", {"slot 36 LN_04"});
        row("closing, cycle 4 wash time", "1 4 1", "txt_wash_time(3)", "12", "close", "12",
            {"PI_72", "PI_84"});
        row("closing, emptied label dropped", "1 1 1", "txt_label(3)", "", "close", "", {});
        row("time, Esc", "1 1 1", "txt_dry_time(2)", "9", "esc", "", {});
    }
    void leavingWritesTheFieldAndTheCopiesOfItsCycle() {
        QFETCH(QString, cycles);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(QString, stored);
        QFETCH(QStringList, writes);
        test::CleaningFixture c;
        setCycles(c.fx, cycles);
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        const QString onEntry = field->text();
        QVERIFY(test::focusOn(field));
        test::retype(field, typed);
        if (leave == u"esc") {
            QTest::keyClick(field, Qt::Key_Escape);
            QCOMPARE(field->text(), onEntry);
        } else {
            QCOMPARE(field->text(), stored);
        }
        if (leave == u"close")
            QVERIFY(screen->close());
        else
            QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(log.writes(), writes);
        for (const QString& write : writes) {
            const QString where = write.endsWith(QLatin1String("LN_04"))
                                      ? QStringLiteral("desc ") + write.split(u' ')[1]
                                      : write.section(u' ', 0, 1);
            QCOMPARE(test::stored(c.fx, where), stored);
        }
        QVERIFY(c.fx.prompter.prompts.empty());
    }

    void refusedValueKeepsTheOldOne_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("focusComesBack");
        const auto row = [](const char* name, const char* field, const char* pasted,
                            const char* message, bool focusComesBack) {
            QTest::newRow(name) << field << pasted << message << focusComesBack;
        };
        row("emptied label", "txt_label(34)", "", "Field cannot be empty", true);
        row("negative time", "txt_wash_time(1)", "-5", "Valid range 0-999", false);
        row("time with exponent", "txt_dry_time(6)", "1e3", "Valid range 0-999", false);
    }
    void refusedValueKeepsTheOldOne() {
        QFETCH(QString, name);
        QFETCH(QString, pasted);
        QFETCH(QString, message);
        QFETCH(bool, focusComesBack);
        test::CleaningFixture c;
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        const QString old = field->text();
        QVERIFY(test::focusOn(field));
        test::pasteOver(field, pasted);
        QCOMPARE(field->text(), pasted);
        QTest::keyClick(field, Qt::Key_Tab);
        QTRY_COMPARE(c.fx.prompter.prompts.size(), std::size_t(1));
        const Prompt& prompt = c.fx.prompter.prompts[0];
        QCOMPARE(prompt.text, message);
        QCOMPARE(prompt.title, QStringLiteral("KR7 Software"));
        QCOMPARE(prompt.icon, Icon::Information);
        QCOMPARE(prompt.buttons, Buttons::Ok);
        QCOMPARE(field->text(), old);
        QTRY_COMPARE(field->hasFocus(), focusComesBack);
        QVERIFY(log.writes().isEmpty());
    }

    void missingSlotIsReportedAndTheRestStored() {
        test::CleaningFixture c;
        setCycles(c.fx, QStringLiteral("2 2 1"));
        c.fx.exec(QStringLiteral("DELETE FROM T_Labels_wanted WHERE LN_01 = 30"));
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_label(34)"));
        QVERIFY(test::focusOn(field));
        test::retype(field, QStringLiteral("W2"));
        QTest::keyClick(field, Qt::Key_Tab);
        const QString report =
            QStringLiteral("frm_label_config : update_label_wanted_record  30 missing");
        QCOMPARE(c.fx.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(c.fx.prompter.prompts[0].text, report);
        QCOMPARE(c.fx.prompter.prompts[0].title, kErrorBoxTitle);
        QCOMPARE(c.fx.prompter.prompts[0].buttons, Buttons::AbortRetryIgnore);
        QVERIFY(c.fx.errorLogLines().last().endsWith(QStringLiteral(" - ") + report));
        QCOMPARE(log.writes(), (QStringList{"slot 34 LN_03", "slot 28 LN_03"}));
    }
};

KR7_TEST_MAIN(TestLabelConfig)
#include "test_label_config.moc"
