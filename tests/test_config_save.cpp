// The close-time save: edits still pending when the configuration screen closes.

#include "config_screen_test_support.h"

#include <QPointer>

using namespace kr7;

namespace {

using test::changes;
using test::dump;
using test::Dump;

void closeAndWait(frm_config* screen) {
    QPointer<frm_config> closing = screen;
    QVERIFY(screen->close());
    QTRY_VERIFY(closing.isNull());
}

struct Edit {
    bool closing, paste;
    QString field, text, key, stored;
};

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestConfigSave : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    // Typed or pasted (a paste skips the key filter), an edit is checked alike when the field
    // is left and when the screen closes with it pending: texts of the field's typing class and
    // of the characters it showed pass, no others. An empty `key`: nothing at all is written.
    void anEditIsCheckedAlikeOnLeavingAndClosing_data() {
        QTest::addColumn<Edit>("row");
        for (const bool closing : {false, true}) {
            const auto row = [closing](bool paste, const char* field, const char* text,
                                       const char* key, const char* stored) {
                QTest::addRow("%s %s %s %s", closing ? "close" : "leave", paste ? "paste" : "type",
                              field, text)
                    << Edit{closing, paste, field, text, key, stored};
            };
            row(false, "txt_params(10)", "2.5", "param 10", "2");
            row(false, "txt_params(10)", "12x", "", "");
            row(false, "txt_params(102)", "37", "param 102", "370");
            row(false, "txt_params(101)", "40.1", "", "");
            row(false, "txt_params(103)", "36.9", "", "");
            row(false, "txt_params(41)", "12.5", "param 41", "125");
            row(false, "txt_max_dips_water", "1000", "PC_50", "100"); // typing stops at 3
            row(false, "txt_calibration_max_hours", "12.39", "PI_54", "123");
            row(false, "txt_last_Calibration_date", "01/03/26 08:05", "PI_14",
                "2026-03-01 08:05:00");
            row(false, "txt_date_last_maintenance", "", "PI_62", "NULL");
            row(false, "txt_offset_actual", "-1001", "", "");
            row(false, "txt_wash_timeout", "12x", "PC_12", "12");
            row(false, "txt_PIC_config_download_date", "", "PI_04", "NULL");
            row(true, "txt_max_dips_water", "-5", "", "");
            row(true, "txt_max_days_calibrant", "-5", "", "");
            row(true, "txt_Reduction_Percentage", "25%", "PI_31", "0.25"); // shows 20%
            row(true, "txt_Reduction_Percentage", "25x", "", "");
            row(true, "txt_Drift_actual", "-5%", "PI_29", "0.95");         // shows 0%
            row(true, "txt_gradient_multiplier", "-1.5", "PC_03", "-1.5"); // shows -1.000
            row(true, "txt_offset_multiplier", "-1.5", "", "");            // shows 1.000
        }
    }
    void anEditIsCheckedAlikeOnLeavingAndClosing() {
        QFETCH(Edit, row);
        const auto& [closing, paste, field, text, key, stored] = row;
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_03 = -1, PC_04 = 1"));
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* edit = test::control(screen, field);
        QVERIFY(test::focusOn(edit));
        const Dump before = dump(fx);
        if (paste) {
            edit->selectAll();
            edit->insert(text);
        } else {
            test::retype(edit, text);
        }
        if (closing)
            closeAndWait(screen);
        else
            QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(changes(before, dump(fx)), (key.isEmpty() ? Dump{} : Dump{{key, stored}}));
        QVERIFY(fx.prompter.prompts.empty());
    }

    // What another program writes while the screen is open stays, however the untouched
    // fields read.
    void untouchedFieldsWriteNothing() {
        test::Fixture fx;
        frm_config* screen = test::openConfig();
        fx.exec(QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = '7'"));
        fx.exec(QStringLiteral("UPDATE T_PIC_list SET PI_35 = 1, PI_16 = NULL, PI_30 = 'x'"));
        fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_48 = 1, PC_73 = 'y'"));
        const Dump before = dump(fx);
        closeAndWait(screen);
        QCOMPARE(changes(before, dump(fx)), Dump{});
    }

    void aWrittenTemperatureIsTheLimitOfTheNext() {
        test::Fixture fx; // minimum 30.0, target 37.0, maximum 40.0
        frm_config* screen = test::openConfig();
        test::retype(test::control(screen, QStringLiteral("txt_params(102)")), "36");
        test::retype(test::control(screen, QStringLiteral("txt_params(101)")), "35.5");
        closeAndWait(screen);
        const Dump after = dump(fx);
        QCOMPARE(after.at(QStringLiteral("param 102")), QStringLiteral("360"));
        QCOMPARE(after.at(QStringLiteral("param 101")), QStringLiteral("370"));
    }

    void aFailingWriteIsReportedAndTheSaveGoesOn() {
        test::Fixture fx;
        frm_config* screen = test::openConfig();
        test::retype(test::control(screen, QStringLiteral("txt_site_name")), "Lab 2");
        test::retype(test::control(screen, QStringLiteral("txt_KR7_Name")), "Bench 2");
        fx.exec(QStringLiteral("ALTER TABLE T_PC_Configuration DROP COLUMN PC_02"));
        closeAndWait(screen);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        QVERIFY(fx.prompter.prompts[0].text.startsWith(
            QStringLiteral("frm_config : Form_QueryUnload")));
        QCOMPARE(dump(fx).at(QStringLiteral("PI_30")), QStringLiteral("Bench 2"));
    }
};

KR7_TEST_MAIN(TestConfigSave)
#include "test_config_save.moc"
