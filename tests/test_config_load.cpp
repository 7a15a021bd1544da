// What the configuration screen shows when it opens, and how it opens other screens.

#include "config_screen_test_support.h"
#include "services.h"
#include "test_support.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

using namespace kr7;

namespace {

// An owned screen that counts its close handling and may refuse to close.
class StandIn : public QWidget {
  public:
    StandIn(QWidget* owner, bool refuses, int& closings)
        : QWidget(owner, Qt::Window), refuses_(refuses), closings_(closings) {
        setAttribute(Qt::WA_DeleteOnClose);
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closings_;
        event->setAccepted(!refuses_);
    }

  private:
    bool refuses_;
    int& closings_;
};

} // namespace

class TestConfigLoad : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void displayFormats_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("shown");
        const auto both = [](const char* name, const char* field, const char* table,
                             const char* stored, const char* shown) {
            const QString set = QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, field);
            QTest::addRow("%s stored", name) << name << set.arg(stored) << shown;
            QTest::addRow("%s null", name) << name << set.arg("NULL") << "";
        };
        both("txt_KR7_Name", "PI_30", "T_PIC_list", "'Bench 2'", "Bench 2");
        both("txt_params(34)", "PIC_03", "T_PIC_Params", "'12.5' WHERE PIC_01 = 34", "13");
        both("txt_max_hours_before_CHECK", "PI_35", "T_PIC_list", "125", "12.5");
        both("txt_params(41)", "PIC_03", "T_PIC_Params", "'15' WHERE PIC_01 = 41", "1.5");
        both("txt_last_Check_PV25", "PI_45", "T_PIC_list", "1.725", "1.73");
        both("txt_Check_PV37", "PC_55", "T_PC_Configuration", "1.52", "1.520");
        both("txt_gradient_actual", "PI_27", "T_PIC_list", "-0.0021", "-0.0021000000");
        both("txt_last_Check_date", "PI_16", "T_PIC_list", "'2026-03-01 08:05:00'",
             "01/03/26 08:05");
        both("txt_Reduction_Percentage", "PI_31", "T_PIC_list", "0.2", "20%");
        both("txt_Drift_actual", "PI_29", "T_PIC_list", "0.95", "-5%");
        both("txt_gradient_user", "PI_27", "T_PIC_list", "0.0123456789", "1.23");
        both("txt_timer_name(9)", "PC_81", "T_PC_Configuration", "'Heating wait'", "Heating wait");
        QTest::newRow("drift factor of 1") << "txt_Drift_actual"
                                           << "UPDATE T_PIC_list SET PI_29 = 1"
                                           << "0%";
    }
    void displayFormats() {
        QFETCH(QString, field);
        QFETCH(QString, update);
        QFETCH(QString, shown);
        test::Fixture fx;
        fx.exec(update);
        frm_config* screen = test::openConfig();
        QVERIFY(screen);
        QCOMPARE(test::control(screen, field)->text(), shown);
        QVERIFY(fx.prompter.prompts.empty());
    }

    void hoursSinceCountsHourBoundaries_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("10:59 to 11:01") << "'2026-03-05 10:59:00'"
                                        << "1";
        QTest::newRow("11:00 to 11:01") << "'2026-03-05 11:00:00'"
                                        << "0";
        QTest::newRow("a day before") << "'2026-03-04 11:30:00'"
                                      << "24";
        QTest::newRow("empty date") << "NULL"
                                    << "";
    }
    void hoursSinceCountsHourBoundaries() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        test::Fixture fx;
        fx.clock.set(test::at(2026, 3, 5, 11, 1));
        fx.exec(
            QStringLiteral("UPDATE T_PIC_list SET PI_16 = %1, PI_14 = %1, PI_62 = %1").arg(stored));
        frm_config* screen = test::openConfig();
        for (const char* field : {"txt_hours_since_last_CHECK", "txt_calibration_hours_since_last",
                                  "txt_Maintenance_hours_since_last"})
            QCOMPARE(test::control(screen, field)->text(), shown);
    }

    void checkBoxes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("update");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("enzyme 0") << "chk_enzyme"
                                  << "UPDATE T_PIC_list SET PI_57 = 0" << false;
        QTest::newRow("enzyme 1") << "chk_enzyme"
                                  << "UPDATE T_PIC_list SET PI_57 = 1" << true;
        QTest::newRow("enzyme 2") << "chk_enzyme"
                                  << "UPDATE T_PIC_list SET PI_57 = 2" << true;
        QTest::newRow("yes") << "chk_Demo_Mode"
                             << "UPDATE T_PC_Configuration SET PC_16 = 1" << true;
        QTest::newRow("no") << "chk_Demo_Mode"
                            << "UPDATE T_PC_Configuration SET PC_16 = 0" << false;
    }
    void checkBoxes() {
        QFETCH(QString, box);
        QFETCH(QString, update);
        QFETCH(bool, ticked);
        test::Fixture fx;
        fx.exec(update);
        frm_config* screen = test::openConfig();
        QCOMPARE(test::control<QCheckBox>(screen, box)->isChecked(), ticked);
    }

    void switchWordTicksExactlyItsBits() {
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = '17' WHERE PIC_01 = 80"));
        frm_config* screen = test::openConfig();
        for (int i = 0; i < 8; ++i)
            QCOMPARE(test::control<QCheckBox>(screen, QStringLiteral("Check_box(%1)").arg(i))
                         ->isChecked(),
                     i <= 1);
    }

    void spreadsheetChoice_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << 0 << "0 - None";
        QTest::newRow("2") << 2 << "2 - OpenOffice";
        QTest::newRow("outside the list") << 3 << "";
        QTest::newRow("negative") << -1 << "";
    }
    void spreadsheetChoice() {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_45 = %1").arg(stored));
        frm_config* screen = test::openConfig();
        auto* combo = test::control<QComboBox>(screen, QStringLiteral("cbo_Spreadsheet_link"));
        QCOMPARE(combo->currentText(), shown);
        QCOMPARE(combo->count(), 3);
        screen->close();
        QCOMPARE(fx.query(QStringLiteral("SELECT PC_45 FROM T_PC_Configuration")).toNumber(),
                 double(stored));
    }

    void unreadableValueIsReportedAndTheRestStillFilled() {
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_03 = 'abc'"));
        frm_config* screen = test::openConfig();
        QVERIFY(screen);
        // The multiplier and the user value computed from it.
        QCOMPARE(fx.prompter.prompts.size(), 2u);
        QVERIFY(fx.prompter.prompts[0].text.startsWith(QStringLiteral("frm_Config : form_load")));
        QCOMPARE(test::control(screen, QStringLiteral("txt_gradient_multiplier"))->text(),
                 QString());
        QCOMPARE(test::control(screen, QStringLiteral("txt_offset_multiplier"))->text(),
                 QStringLiteral("1.000"));
    }

    void opensOnTheFirstTabWithTheInstrumentNumber() {
        test::Fixture fx;
        frm_config* screen = test::openConfig();
        QCOMPARE(screen->windowTitle(), QStringLiteral("KR7 Data Configuration 4-0f "));
        QCOMPARE(test::control<QTabWidget>(screen, QStringLiteral("SSTab1"))->currentIndex(), 0);
        auto* instrument = test::control<QLabel>(screen, QStringLiteral("StatusBar1_Panel2"));
        QCOMPARE(instrument->text(), QStringLiteral("KR7 = 101"));
        screen->Show_status_text(QStringLiteral("Valid range 0-999"));
        QCOMPARE(test::control<QLabel>(screen, QStringLiteral("StatusBar1_Panel1"))->text(),
                 QStringLiteral("Valid range 0-999"));
        QCOMPARE(instrument->text(), QStringLiteral("KR7 = 101"));
    }

    void twoInstrumentRecordsNeverOpenTheScreen() {
        test::Fixture fx;
        fx.exec(QStringLiteral("INSERT INTO T_PIC_list (PI_01) VALUES (102)"));
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, test::openConfig());
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frm_config*>(w));
    }

    void otherScreensOpenOnceEachAfterRegistration() {
        test::Fixture fx;
        frm_config* screen = test::openConfig();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        auto* button = test::control<QPushButton>(screen, QStringLiteral("cmd_RJL_Labels"));
        QVERIFY(!button->isEnabled());
        int made = 0;
        screen->registerScreen(QStringLiteral("cmd_RJL_Labels"), [&made](QWidget* owner) {
            ++made;
            auto* other = new QWidget(owner, Qt::Window);
            other->setAttribute(Qt::WA_DeleteOnClose);
            other->show();
            return other;
        });
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(made, 1);
        // Between the two windows there is a moment with no active window at all.
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != screen);
        QPointer<QWidget> other = QApplication::activeWindow();
        QCOMPARE(other->parentWidget(), screen);
        other->close();
        QTRY_VERIFY(other.isNull());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(made, 2);
        QVERIFY(!test::control<QPushButton>(screen, QStringLiteral("CMD_messages"))->isEnabled());
    }

    // An open screen closes through its own handling before the close-time save; one that
    // refuses keeps the configuration screen open, its pending edit unsaved.
    void closingClosesTheOpenScreensFirst_data() {
        QTest::addColumn<bool>("refuses");
        QTest::newRow("screen closes") << false;
        QTest::newRow("screen refuses") << true;
    }
    void closingClosesTheOpenScreensFirst() {
        QFETCH(bool, refuses);
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        int closings = 0;
        screen->registerScreen(QStringLiteral("cmd_RJL_Labels"), [&](QWidget* owner) {
            auto* other = new StandIn(owner, refuses, closings);
            other->show();
            return other;
        });
        auto* site = test::control(screen, QStringLiteral("txt_site_name"));
        QVERIFY(test::focusOn(site));
        test::retype(site, QStringLiteral("Elsewhere"));
        test::control<QPushButton>(screen, QStringLiteral("cmd_RJL_Labels"))->click();
        QCOMPARE(screen->close(), !refuses);
        QCOMPARE(closings, 1);
        QCOMPARE(fx.query(QStringLiteral("SELECT PC_02 FROM T_PC_Configuration")).toText() ==
                     u"Elsewhere",
                 !refuses);
    }
};

KR7_TEST_MAIN(TestConfigLoad)
#include "test_config_load.moc"
