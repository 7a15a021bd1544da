// The cleaning screens. The label screen: what leaving a field writes (with the copies of the
// chosen cycles), what it refuses, the close-time save and the reports of a slot write. The
// wash cycle screen: a digit stores the chosen cycle with its copies at once, other keys are
// refused.

#include "cleaning_test_support.h"
#include "error_report.h"
#include "frm_label_config.h"
#include "frm_wash_cycle.h"

#include <QLabel>

using namespace kr7;

namespace {

QString status(QWidget* screen) {
    return screen->findChild<QLabel*>(QStringLiteral("lbl_status"))->text();
}

struct Leave {
    QString cycles, name, typed, leave, stored;
    QStringList writes;
};

struct Refusal {
    QString name, pasted, message;
    bool focusComesBack;
};

struct Choice {
    QString name, digit;
    QStringList writes, copies;
};

} // namespace

Q_DECLARE_METATYPE(Choice)

Q_DECLARE_METATYPE(Refusal)

Q_DECLARE_METATYPE(Leave)

class TestCleaningScreens : public QObject {
    Q_OBJECT

  private slots:
    // Left by Tab, by closing the screen, or by Tab after Esc put back the text on entry.
    void leavingWritesTheFieldAndTheCopiesOfItsCycle_data() {
        QTest::addColumn<Leave>("leaving");
        const auto row = [](const char* name, const char* cycles, const char* field,
                            const char* typed, const char* leave, const char* stored,
                            const QStringList& writes) {
            QTest::newRow(name) << Leave{cycles, field, typed, leave, stored, writes};
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
        QFETCH(Leave, leaving);
        const auto& [cycles, name, typed, leave, stored, writes] = leaving;
        test::CleaningFixture c;
        const QStringList chosen = cycles.split(u' '); // start-up, post-test and menu cleaning
        c.fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_48 = '%1', PI_50 = '%2', PI_52 = '%3'")
                      .arg(chosen[0], chosen[1], chosen[2]));
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
        QTest::addColumn<Refusal>("refusal");
        const auto row = [](const char* name, const char* field, const char* pasted,
                            const char* message, bool focusComesBack) {
            QTest::newRow(name) << Refusal{field, pasted, message, focusComesBack};
        };
        row("emptied label", "txt_label(34)", "", "Field cannot be empty", true);
        row("negative time", "txt_wash_time(1)", "-5", "Valid range 0-999", false);
        row("time with exponent", "txt_dry_time(6)", "1e3", "Valid range 0-999", false);
    }
    void refusedValueKeepsTheOldOne() {
        QFETCH(Refusal, refusal);
        const auto& [name, pasted, message, focusComesBack] = refusal;
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

    // The copies start as cycle 1's; the sources of cycles 2 and 3 differ from them, and a
    // label changed by another program after the screen opened is copied as it is now. Esc
    // then puts back the text but not the choice.
    void digitStoresTheChoiceAndItsCopies_data() {
        QTest::addColumn<Choice>("choice");
        const auto row = [](const char* name, const char* field, const char* digit,
                            const QStringList& writes, const QStringList& copies) {
            QTest::newRow(name) << Choice{field, digit, writes, copies};
        };
        row("post-test 2", "txt_post_test_clean", "2",
            {"PI_50", "PI_84", "PI_85", "slot 28 LN_03", "slot 29 LN_03"},
            {"PI_84=PI_68", "PI_85=PI_69", "slot 28=slot 34", "slot 29=slot 39"});
        row("start-up 3", "txt_startup_clean", "3",
            {"PI_48", "PI_82", "PI_83", "slot 30 LN_03", "slot 31 LN_03"},
            {"PI_82=PI_70", "PI_83=PI_71", "slot 30=slot 35", "slot 31=slot 40"});
        row("menu 2", "txt_menu_clean", "2",
            {"PI_52", "PI_86", "PI_87", "slot 24 LN_03", "slot 25 LN_03"},
            {"PI_86=PI_68", "PI_87=PI_69", "slot 24=slot 34", "slot 25=slot 39"});
    }
    void digitStoresTheChoiceAndItsCopies() {
        QFETCH(Choice, choice);
        const auto& [name, digit, writes, copies] = choice;
        test::CleaningFixture c;
        auto* screen = c.open<frm_wash_cycle>(openWashCycleScreen);
        QVERIFY(screen);
        c.fx.exec(
            QStringLiteral("UPDATE T_Labels_wanted SET LN_03 = 'NOW' WHERE LN_01 IN (34, 35)"));
        test::WriteLog log(c.fx);
        QLineEdit* field = test::field(screen, name);
        QCOMPARE(field->text(), QStringLiteral("1"));
        QVERIFY(test::focusOn(field));
        QTest::keyClicks(field, digit);
        QCOMPARE(log.writes(), writes);
        QCOMPARE(test::stored(c.fx, writes[0]), digit);
        for (const QString& copy : copies) {
            const QStringList pair = copy.split(u'=');
            QCOMPARE(test::stored(c.fx, pair[0]), test::stored(c.fx, pair[1]));
        }
        QCOMPARE(field->text(), digit);
        QCOMPARE(status(screen), QString());
        QVERIFY(c.fx.prompter.prompts.empty());
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QStringLiteral("1"));
        QCOMPARE(test::stored(c.fx, writes[0]), digit);
    }

    void otherKeysAreRefused() {
        test::CleaningFixture c;
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_wash_cycle>(openWashCycleScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_post_test_clean"));
        QVERIFY(test::focusOn(field));
        for (const char* typed : {"4", "0", "a"}) {
            QTest::keyClicks(field, QLatin1String(typed));
            QCOMPARE(status(screen), QStringLiteral("Valid range 1-3"));
            QCOMPARE(field->text(), QStringLiteral("1"));
        }
        QVERIFY(log.writes().isEmpty());
        // A pasted digit is no choice either: only keys choose.
        test::pasteOver(field, QStringLiteral("2"));
        QCOMPARE(field->text(), QStringLiteral("1"));
        QVERIFY(log.writes().isEmpty());
        // The next accepted key clears the refusal.
        QTest::keyClicks(field, QStringLiteral("3"));
        QCOMPARE(status(screen), QString());
    }

    // A missing label is reported and its copy left alone, a null one left alone silently; a
    // missing time stores nothing at all.
    void missingSourcesAndSlots_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QStringList>("writes");
        const QStringList allButLabels = {"PI_50", "PI_84", "PI_85"};
        QTest::newRow("cycle's dry label")
            << "DELETE FROM T_Labels_wanted WHERE LN_01 = 39"
            << "frm_wash_cycle : find_label_wanted_record :  39 missing"
            << allButLabels + QStringList{"slot 28 LN_03"};
        QTest::newRow("copy slot") << "DELETE FROM T_Labels_wanted WHERE LN_01 = 28"
                                   << "frm_wash_cycle : update_label_wanted_record  28 missing"
                                   << allButLabels + QStringList{"slot 29 LN_03"};
        QTest::newRow("null dry label")
            << "UPDATE T_Labels_wanted SET LN_03 = NULL WHERE LN_01 = 39" << QString()
            << allButLabels + QStringList{"slot 28 LN_03"};
        QTest::newRow("null dry time")
            << "UPDATE T_PIC_list SET PI_69 = NULL"
            << "frm_wash_cycle : Cycle 2 has no valid dry time (PI_69): the cycle was not chosen"
            << QStringList();
        QTest::newRow("wash time not a number")
            << "UPDATE T_PIC_list SET PI_68 = 'x'"
            << "frm_wash_cycle : Cycle 2 has no valid wash time (PI_68): the cycle was not chosen"
            << QStringList();
    }
    void missingSourcesAndSlots() {
        QFETCH(QString, damage);
        QFETCH(QString, report);
        QFETCH(QStringList, writes);
        test::CleaningFixture c;
        c.fx.exec(damage);
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_wash_cycle>(openWashCycleScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_post_test_clean"));
        QVERIFY(test::focusOn(field));
        QTest::keyClicks(field, QStringLiteral("2"));
        QCOMPARE(c.fx.prompter.prompts.size(), std::size_t(report.isEmpty() ? 0 : 1));
        if (!report.isEmpty()) {
            QCOMPARE(c.fx.prompter.prompts[0].text, report);
            QCOMPARE(c.fx.prompter.prompts[0].buttons, Buttons::AbortRetryIgnore);
        }
        QCOMPARE(log.writes(), writes);
        QCOMPARE(field->text(), writes.isEmpty() ? QStringLiteral("1") : QStringLiteral("2"));
    }
};

KR7_TEST_MAIN(TestCleaningScreens)
#include "test_cleaning_screens.moc"
