// What the configuration screen shows when it opens, and how it opens other screens.

#include "config_screen_test_support.h"

#include <QCloseEvent>
#include <QPushButton>

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
        const auto row = [](const char* field, const char* key, const char* table,
                            const char* stored, const char* shown) {
            QTest::addRow("%s %s", field, stored)
                << field << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, key, stored)
                << shown;
        };
        row("txt_params(34)", "PIC_03", "T_PIC_Params", "'12.5' WHERE PIC_01 = 34", "13");
        row("txt_max_hours_before_CHECK", "PI_35", "T_PIC_list", "125", "12.5");
        row("txt_last_Check_PV25", "PI_45", "T_PIC_list", "1.725", "1.73");
        row("txt_Check_PV37", "PC_55", "T_PC_Configuration", "1.52", "1.520");
        row("txt_gradient_actual", "PI_27", "T_PIC_list", "-0.0021", "-0.0021000000");
        row("txt_last_Check_date", "PI_16", "T_PIC_list", "'2026-03-01 08:05:00'",
            "01/03/26 08:05");
        row("txt_last_Check_date", "PI_16", "T_PIC_list", "NULL", "");
        row("txt_Reduction_Percentage", "PI_31", "T_PIC_list", "0.2", "20%");
        row("txt_Drift_actual", "PI_29", "T_PIC_list", "0.95", "-5%");
        row("txt_gradient_user", "PI_27", "T_PIC_list", "0.0123456789", "1.23");
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

    // A screen opens once, owned, after it is registered. An open screen closes through its
    // own handling before the close-time save; one that refuses keeps the configuration
    // screen open, its pending edit unsaved.
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
        auto* button = test::control<QPushButton>(screen, QStringLiteral("cmd_RJL_Labels"));
        QVERIFY(!button->isEnabled());
        int made = 0, closings = 0;
        screen->registerScreen(QStringLiteral("cmd_RJL_Labels"), [&](QWidget* owner) {
            ++made;
            auto* other = new StandIn(owner, refuses, closings);
            other->show();
            return other;
        });
        auto* site = test::control(screen, QStringLiteral("txt_site_name"));
        QVERIFY(test::focusOn(site));
        test::retype(site, QStringLiteral("Elsewhere"));
        button->click();
        button->click();
        QCOMPARE(made, 1);
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != screen);
        QCOMPARE(QApplication::activeWindow()->parentWidget(), screen);
        QCOMPARE(screen->close(), !refuses);
        QCOMPARE(closings, 1);
        QCOMPARE(fx.query(QStringLiteral("SELECT PC_02 FROM T_PC_Configuration")).toText() ==
                     u"Elsewhere",
                 !refuses);
    }
};

KR7_TEST_MAIN(TestConfigLoad)
#include "test_config_load.moc"
