// The label screen: what leaving a field writes (with the copies of the chosen cycles), what
// it refuses, the Enter order, the close-time save and the reports of a slot write.

#include "cleaning_test_support.h"
#include "error_report.h"
#include "frm_label_config.h"

#include <QLabel>

using namespace kr7;

namespace {

const QString kCycles = QStringLiteral("UPDATE T_PIC_list SET PI_48 = '%1', PI_50 = '%2', "
                                       "PI_52 = '%3'");

QStringList names(const char* array, std::initializer_list<int> indexes) {
    QStringList list;
    for (const int i : indexes)
        list << QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(i);
    return list;
}

} // namespace

class TestLabelConfig : public QObject {
    Q_OBJECT

  private slots:
    void leavingWritesTheFieldAndTheCopiesOfItsCycle_data() {
        QTest::addColumn<QString>("cycles"); // PI_48, PI_50, PI_52
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("writes");
        const QString label = QStringLiteral("NEW_LABEL");
        QTest::newRow("cycle 2 wash label")
            << "2 1 2"
            << "txt_label(34)" << label << label
            << QStringList{"slot 34 LN_03", "slot 30 LN_03", "slot 24 LN_03"};
        QTest::newRow("cycle 2 dry label")
            << "2 1 2"
            << "txt_label(39)" << label << label
            << QStringList{"slot 39 LN_03", "slot 31 LN_03", "slot 25 LN_03"};
        QTest::newRow("cycle 1 wash label, post-test only")
            << "2 1 2"
            << "txt_label(33)" << label << label << QStringList{"slot 33 LN_03", "slot 28 LN_03"};
        QTest::newRow("action label")
            << "1 1 1"
            << "txt_label(6)" << label << label << QStringList{"slot 6 LN_03"};
        QTest::newRow("copy slot itself")
            << "1 1 1"
            << "txt_label(30)" << label << label << QStringList{"slot 30 LN_03"};
        QTest::newRow("cycle 2 wash time") << "2 1 1"
                                           << "txt_wash_time(1)"
                                           << "45"
                                           << "45" << QStringList{"PI_68", "PI_82"};
        QTest::newRow("cycle 5 dry time, every moment")
            << "5 5 5"
            << "txt_dry_time(4)"
            << "7"
            << "7" << QStringList{"PI_75", "PI_83", "PI_85", "PI_87"};
        QTest::newRow("enzyme wash time") << "2 2 2"
                                          << "txt_wash_time(5)"
                                          << "45"
                                          << "45" << QStringList{"PI_76"};
        QTest::newRow("letters swallowed") << "1 1 1"
                                           << "txt_wash_time(7)"
                                           << "4x-5."
                                           << "45" << QStringList{"PI_80"};
        QTest::newRow("cycle 4 description") << "1 1 1"
                                             << "txt_desc(4)"
                                             << "Long soak"
                                             << "Long soak" << QStringList{"slot 36 LN_04"};
        QTest::newRow("emptied description") << "1 1 1"
                                             << "txt_desc(1)"
                                             << ""
                                             << "" << QStringList{"slot 33 LN_04"};
    }
    void leavingWritesTheFieldAndTheCopiesOfItsCycle() {
        QFETCH(QString, cycles);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QStringList, writes);
        test::CleaningFixture c;
        c.fx.exec(kCycles.arg(cycles.split(u' ')[0], cycles.split(u' ')[1], cycles.split(u' ')[2]));
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        QVERIFY(test::giveFocus(field));
        test::retype(field, typed);
        QCOMPARE(field->text(), stored);
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
        QTest::newRow("emptied label") << "txt_label(34)"
                                       << ""
                                       << "Field cannot be empty" << true;
        QTest::newRow("negative time") << "txt_wash_time(1)"
                                       << "-5"
                                       << "Valid range 0-999" << false;
        QTest::newRow("time with exponent") << "txt_dry_time(6)"
                                            << "1e3"
                                            << "Valid range 0-999" << false;
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
        QVERIFY(test::giveFocus(field));
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

    void escAndUnchangedFieldsWriteNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("esc");
        QTest::newRow("label entered and left") << "txt_label(1)"
                                                << "" << false;
        QTest::newRow("time entered and left") << "txt_wash_time(0)"
                                               << "" << false;
        QTest::newRow("label edited, Esc") << "txt_label(34)"
                                           << "X" << true;
        QTest::newRow("time edited, Esc") << "txt_dry_time(2)"
                                          << "9" << true;
        QTest::newRow("description edited, Esc") << "txt_desc(5)"
                                                 << "Y" << true;
    }
    void escAndUnchangedFieldsWriteNothing() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, esc);
        test::CleaningFixture c;
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        const QString old = field->text();
        QVERIFY(test::giveFocus(field));
        QTest::keyClicks(field, typed);
        if (esc) {
            QTest::keyClick(field, Qt::Key_Escape);
            QCOMPARE(field->text(), old);
            QVERIFY(field->hasFocus());
        }
        QTest::keyClick(field, Qt::Key_Tab);
        QVERIFY(!field->hasFocus());
        screen->close();
        QVERIFY(log.writes().isEmpty());
        QVERIFY(c.fx.prompter.prompts.empty());
    }

    void closingStoresThePendingField_data() {
        QTest::addColumn<QString>("cycles");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("writes");
        QTest::newRow("cycle 2 wash label")
            << "2 1 2"
            << "txt_label(34)"
            << "NEW" << QStringList{"slot 34 LN_03", "slot 30 LN_03", "slot 24 LN_03"};
        QTest::newRow("cycle 4 wash time") << "1 4 1"
                                           << "txt_wash_time(3)"
                                           << "12" << QStringList{"PI_72", "PI_84"};
        QTest::newRow("cycle 5 description") << "1 1 1"
                                             << "txt_desc(5)"
                                             << "Five" << QStringList{"slot 37 LN_04"};
        QTest::newRow("emptied label, dropped") << "1 1 1"
                                                << "txt_label(3)"
                                                << "" << QStringList{};
    }
    void closingStoresThePendingField() {
        QFETCH(QString, cycles);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QStringList, writes);
        test::CleaningFixture c;
        c.fx.exec(kCycles.arg(cycles.split(u' ')[0], cycles.split(u' ')[1], cycles.split(u' ')[2]));
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        QVERIFY(test::giveFocus(field));
        test::retype(field, typed);
        QVERIFY(screen->close());
        QCOMPARE(log.writes(), writes);
        QVERIFY(c.fx.prompter.prompts.empty());
    }

    void enterWalksTheOrder_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("walk");
        const QStringList ring =
            names("txt_label", {2, 3, 4, 6, 8, 9, 10, 11, 7, 20, 14, 17, 23, 12, 13, 32, 5, 33, 38})
            << "txt_desc(1)" << names("txt_label", {34, 39}) << "txt_desc(2)"
            << names("txt_label", {35, 40}) << "txt_desc(3)" << names("txt_label", {36, 41})
            << "txt_desc(4)" << names("txt_label", {37, 42}) << "txt_desc(5)"
            << names("txt_label", {21, 22, 15, 16, 18, 19, 1});
        QTest::newRow("labels and descriptions, once around") << "txt_label(1)" << ring;
        QTest::newRow("wash times")
            << "txt_wash_time(0)"
            << (names("txt_wash_time", {1, 2, 3, 4, 5, 6, 7}) << "txt_label(38)");
        QTest::newRow("dry times")
            << "txt_dry_time(0)" << (names("txt_dry_time", {1, 2, 3, 4, 5, 6, 7}) << "txt_desc(1)");
        QTest::newRow("a copy moves on as Tab does")
            << "txt_label(30)" << QStringList{"txt_label(31)"};
    }
    void enterWalksTheOrder() {
        QFETCH(QString, start);
        QFETCH(QStringList, walk);
        test::CleaningFixture c;
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QVERIFY(test::giveFocus(test::field(screen, start)));
        for (const QString& next : walk) {
            QTest::keyClick(screen->focusWidget(), Qt::Key_Return);
            QCOMPARE(test::focusedName(screen), next);
        }
        QVERIFY(log.writes().isEmpty());
    }

    void missingSlotIsReportedAndTheRestStored() {
        test::CleaningFixture c;
        c.fx.exec(kCycles.arg("2", "2", "1"));
        c.fx.exec(QStringLiteral("DELETE FROM T_Labels_wanted WHERE LN_01 = 30"));
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_label(34)"));
        QVERIFY(test::giveFocus(field));
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

    // A label longer than its field, written by another program, cannot be stored again:
    // the write restarts a few times, then the error is reported once and the loop ends.
    void multipleStepErrorIsReportedAfterBoundedRestarts() {
        test::CleaningFixture c;
        const QString tooLong(60, u'L');
        c.fx.exec(
            QStringLiteral("UPDATE T_Labels_wanted SET LN_03 = '%1' WHERE LN_01 = 5").arg(tooLong));
        test::WriteLog log(c.fx);
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, QStringLiteral("txt_label(5)"));
        QCOMPARE(field->text(), tooLong);
        QVERIFY(test::giveFocus(field));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(c.fx.prompter.prompts.size(), std::size_t(1));
        const Prompt& prompt = c.fx.prompter.prompts[0];
        QVERIFY2(prompt.text.startsWith(QStringLiteral("update_label_wanted_record : Error on "
                                                       "line")),
                 qPrintable(prompt.text));
        QCOMPARE(prompt.buttons, Buttons::AbortRetryIgnore);
        QVERIFY(log.writes().isEmpty());
        QCOMPARE(test::stored(c.fx, QStringLiteral("slot 5")), tooLong);
    }

    void loadShowsEveryCycleAndReportsANullLabel() {
        test::CleaningFixture c;
        c.fx.exec(
            QStringLiteral("UPDATE T_Labels_wanted SET LN_04 = 'Cycle five' WHERE LN_01 = 37"));
        c.fx.exec(QStringLiteral("UPDATE T_Labels_wanted SET LN_03 = NULL WHERE LN_01 = 12"));
        c.fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_81 = 33, PI_75 = NULL"));
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QCOMPARE(screen->windowTitle(), QStringLiteral("RJL label configuration"));
        QCOMPARE(test::field(screen, QStringLiteral("txt_desc(5)"))->text(), "Cycle five");
        QCOMPARE(test::field(screen, QStringLiteral("txt_desc(1)"))->text(), "Standard clean");
        QCOMPARE(test::field(screen, QStringLiteral("txt_dry_time(7)"))->text(), "33");
        QCOMPARE(test::field(screen, QStringLiteral("txt_dry_time(4)"))->text(), "");
        QCOMPARE(test::field(screen, QStringLiteral("txt_label(12)"))->text(), "");
        QCOMPARE(test::field(screen, QStringLiteral("txt_label(13)"))->text(), "WASHPOT_DOWN");
        QCOMPARE(c.fx.prompter.prompts.size(), std::size_t(1));
        const QString& text = c.fx.prompter.prompts[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("frm_label_config : form_load")) &&
                     text.endsWith(QStringLiteral(" : 94 Invalid use of Null")),
                 qPrintable(text));
    }

    void hostileTextIsStoredLiterallyOrRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        for (const char* name : {"txt_label(6)", "txt_desc(2)"}) {
            QTest::addRow("%s quotes", name) << name << "O'Brien \"the\" `x`";
            QTest::addRow("%s drop table", name) << name << "'; DROP TABLE T_Samples; --";
            QTest::addRow("%s 10000 characters", name) << name << QString(10000, u'x');
            QTest::addRow("%s non-Latin", name) << name << "Вязкость плазмы 血浆粘度 لزوجة";
        }
    }
    void hostileTextIsStoredLiterallyOrRefused() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        test::CleaningFixture c;
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        const QString old = field->text();
        QVERIFY(test::giveFocus(field));
        test::pasteOver(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
        const QString where = name == QLatin1String("txt_label(6)") ? QStringLiteral("slot 6")
                                                                    : QStringLiteral("desc 34");
        QCOMPARE(test::stored(c.fx, where), text.size() <= 50 ? text : old);
        QCOMPARE(c.fx.query(QStringLiteral("SELECT count(*) FROM T_Samples")).isNull(), false);
        QVERIFY(c.fx.prompter.prompts.empty());
    }

    void fieldsAreNamedForScreenReaders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("captioned"); // a row caption is the field's buddy
        const QString tip = QStringLiteral("Enter the RJL label to call up for this action");
        QTest::newRow("first action") << "txt_label(1)"
                                      << "Turn pumps on" << tip << true;
        QTest::newRow("stop all") << "txt_label(5)"
                                  << "Stop all pumps and valves"
                                  << "" << true;
        QTest::newRow("cycle wash") << "txt_label(35)"
                                    << "Cycle 3, Wash Cycle"
                                    << "" << true;
        QTest::newRow("cycle dry") << "txt_label(39)"
                                   << "Cycle 2, Dry Cycle"
                                   << "" << false;
        QTest::newRow("tube wash time") << "txt_wash_time(5)"
                                        << "Enzyme, Wash time (secs)"
                                        << "" << false;
        QTest::newRow("tube dry time") << "txt_dry_time(7)"
                                       << "Water, Dry time (secs)"
                                       << "" << false;
        QTest::newRow("description") << "txt_desc(4)"
                                     << "Cycle 4, User Descriptions"
                                     << "" << false;
        QTest::newRow("copy") << "txt_label(28)"
                              << "Post-test Clean, Wash Cycle"
                              << "" << true;
    }
    void fieldsAreNamedForScreenReaders() {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        QFETCH(QString, description);
        QFETCH(bool, captioned);
        test::CleaningFixture c;
        auto* screen = c.open<frm_label_config>(openLabelConfigScreen);
        QVERIFY(screen);
        QLineEdit* field = test::field(screen, name);
        QCOMPARE(field->accessibleName(), accessibleName);
        QCOMPARE(field->accessibleDescription(), description);
        QCOMPARE(field->toolTip(), description);
        bool hasBuddy = false;
        for (const QLabel* label : screen->findChildren<QLabel*>())
            hasBuddy = hasBuddy || label->buddy() == field;
        QCOMPARE(hasBuddy, captioned);
    }
};

KR7_TEST_MAIN(TestLabelConfig)
#include "test_label_config.moc"
