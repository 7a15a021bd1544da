// The wash cycle screen: a digit stores the chosen cycle with its copies at once; every
// other key is refused; Esc.

#include "cleaning_test_support.h"
#include "frm_wash_cycle.h"

#include <QLabel>

using namespace kr7;

class TestWashCycle : public QObject {
    Q_OBJECT

    static QString status(QWidget* screen) {
        return screen->findChild<QLabel*>(QStringLiteral("lbl_status"))->text();
    }

  private slots:
    // The copies start as cycle 1's; the sources of cycles 2 and 3 differ from them, and a
    // label changed by another program after the screen opened is copied as it is now. Esc
    // then puts back the text but not the choice.
    void digitStoresTheChoiceAndItsCopies_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("digit");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QStringList>("copies"); // "target=source"
        const auto row = [](const char* name, const char* field, const char* digit,
                            const QStringList& writes, const QStringList& copies) {
            QTest::newRow(name) << field << digit << writes << copies;
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
        QFETCH(QString, name);
        QFETCH(QString, digit);
        QFETCH(QStringList, writes);
        QFETCH(QStringList, copies);
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

    void otherKeysAreRefused_data() {
        QTest::addColumn<QString>("typed");
        for (const char* typed : {"4", "0", "a"})
            QTest::newRow(typed) << typed;
    }
    void otherKeysAreRefused() {
        QFETCH(QString, typed);
        test::CleaningFixture c;
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_wash_cycle>(openWashCycleScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_post_test_clean"));
        QVERIFY(test::focusOn(field));
        QTest::keyClicks(field, typed);
        QCOMPARE(status(screen), QStringLiteral("Valid range 1-3"));
        QCOMPARE(field->text(), QStringLiteral("1"));
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

KR7_TEST_MAIN(TestWashCycle)
#include "test_wash_cycle.moc"
