// Editing the configuration screen's fields from the keyboard: what each field takes, writes
// and shows, and the check boxes and the spreadsheet list.

#include "config_screen_test_support.h"
#include "services.h"
#include "settings_table.h"
#include "widget_colours.h"

#include <QCheckBox>
#include <QComboBox>

using namespace kr7;
using test::Dump;
using test::focusedName;

namespace {

QColor background(QWidget* field) {
    return field->palette().color(QPalette::Base);
}

// Characters that no field of the class takes.
QString foreignTo(config::Typing typing) {
    switch (typing) {
    case config::Typing::Digits:
        return QStringLiteral("x.-/ ");
    case config::Typing::Decimal:
        return QStringLiteral("x-/ ");
    case config::Typing::Signed:
        return QStringLiteral("x/: ");
    default:
        return QStringLiteral("x.-e");
    }
}

struct Commit {
    QString field, typed, key, stored, shown, prompt, partner, partnerShown;
};

} // namespace

Q_DECLARE_METATYPE(Commit)

class TestConfigEditing : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    // A refused row has no key: nothing is written and the text on entry comes back. A
    // partner is a field the commit recomputes, shown as the next load would show it.
    void enterCommitsTheField_data() {
        QTest::addColumn<Commit>("commit");
        const auto accept = [](const char* field, const char* typed, const char* key,
                               const char* stored, const char* shown, const char* prompt = "",
                               const char* partner = "", const char* partnerShown = "") {
            QTest::addRow("%s %s", field, typed)
                << Commit{field, typed, key, stored, shown, prompt, partner, partnerShown};
        };
        const auto refuse = [](const char* field, const char* typed, const char* message) {
            QTest::addRow("%s %s refused", field, typed)
                << Commit{field, typed, {}, {}, {}, message, {}, {}};
        };
        const char* anyDate = "Enter nothing or date";
        refuse("txt_params(10)", "1x", "Valid range 0-9999");
        accept("txt_max_hours_before_CHECK", "12.34", "PI_35", "123", "12.34");
        refuse("txt_max_hours_before_CHECK", "1000", "Valid range 0-999.9");
        accept("txt_last_Check_date", "4/3/26 23:59", "PI_16", "2026-03-04 23:59:00",
               "04/03/26 23:59", "", "txt_hours_since_last_CHECK", "11");
        accept("txt_last_Calibration_date", "", "PI_14", "NULL", "", "",
               "txt_calibration_hours_since_last", "");
        accept("txt_gradient_actual", "-999", "PI_27", "-999", "-999.0000000000", "",
               "txt_gradient_user", "-99900.00");
        refuse("txt_gradient_actual", "-1000", "Valid range -999 to 999");
        accept("txt_gradient_multiplier", "2", "PC_03", "2", "2.000", "", "txt_gradient_user",
               "0.02");
        accept("txt_Drift_actual", "-5", "PI_29", "0.95", "-5%");
        accept("txt_Check_PV37", "1.25", "PC_55", "1.25", "1.250",
               "Enter the value for PV25 - this is used together with PV37 to calc. a measured "
               "PV25, range 0-999");
        refuse("txt_Wash_Add_Date", "31/02/26", anyDate);
        accept("txt_params(104)", "0.15", "param 104", "2", "0.2");
        refuse("txt_PIC_config_download_date", "99/99/99",
               "Blank out the field to cause the PIC config. to be downloaded, or enter date in "
               "format DD/MM/YY");
        accept("txt_editor", "vi", "PC_37", "vi", "vi",
               "Enter the name of the editor used on site, 0-50 characters");
        refuse("txt_Site_ID", "0", "Valid range 1-9999");
        accept("txt_Reduction_Percentage", "25", "PI_31", "0.25", "25%");
    }
    void enterCommitsTheField() {
        QFETCH(Commit, commit);
        const auto& [field, typed, key, stored, shown, prompt, partner, partnerShown] = commit;
        test::Fixture fx; // 05/03/26 10:30
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* edit = test::control(screen, field);
        const Dump before = test::dump(fx);
        const QString onEntry = edit->text();
        QVERIFY(test::focusOn(edit));
        QCOMPARE(background(edit), kEditingYellow);
        test::retype(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(focusedName(), field == u"txt_Check_PV37" ? u"txt_Check_PV25" : u"cmd_dummy");
        QCOMPARE(background(edit), kFieldWhite);
        const bool refused = key.isEmpty();
        QCOMPARE(test::changes(before, test::dump(fx)), (refused ? Dump{} : Dump{{key, stored}}));
        QCOMPARE(edit->text(), refused ? onEntry : shown);
        QCOMPARE(test::promptLine(screen), prompt);
        if (!partner.isEmpty())
            QCOMPARE(test::control(screen, partner)->text(), partnerShown);
        QVERIFY(fx.prompter.prompts.empty());
    }

    // Every field that limits its typing swallows the rest, and a paste of such characters
    // is refused when the field is left.
    void charactersOutsideTheClassAreNeverStored() {
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        const Dump before = test::dump(fx);
        int fields = 0;
        for (const config::Setting& s : config::settings()) {
            if (s.kind != config::Kind::Edit || s.edit.typing == config::Typing::Any)
                continue;
            ++fields;
            QLineEdit* edit = test::control(screen, s.name);
            QVERIFY(test::focusOn(edit));
            const QString onEntry = edit->text();
            QTest::keyClicks(edit, foreignTo(s.edit.typing));
            QCOMPARE(edit->text(), onEntry);
            edit->selectAll();
            edit->insert(QStringLiteral("9x"));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(edit->text(), onEntry);
        }
        QCOMPARE(fields, 41);
        QCOMPARE(test::changes(before, test::dump(fx)), Dump{});
    }

    // The offset shows more characters than may be typed: the user may shorten the text but
    // not type into it beyond the limit, and a stopped character beeps.
    void theTypingLimitHoldsInALongerShownText() {
        test::Fixture fx; // offset -0.0021: 13 characters against 10
        int beeps = 0;
        services().beeper = [&beeps] { ++beeps; };
        const auto quiet = qScopeGuard([] { services().beeper = nullptr; });
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* edit = test::control(screen, QStringLiteral("txt_offset_actual"));
        QVERIFY(test::focusOn(edit));
        const QString shown = edit->text();
        QCOMPARE(shown.size(), 13);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("5"));
        QCOMPARE(edit->text(), shown);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QStringLiteral("5"));
        QCOMPARE(edit->text(), shown.chopped(1));
        QCOMPARE(beeps, 2);
    }

    // Fields paint dark text on their own light backgrounds, whatever the theme's text.
    void fieldsKeepDarkTextInADarkTheme() {
        test::Fixture fx;
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Base, Qt::black);
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* edit = test::control(screen, QStringLiteral("txt_site_name"));
        QCOMPARE(
            test::control(screen, QStringLiteral("txt_KR7_SW"))->palette().color(QPalette::Text),
            kFieldText);              // read-only
        QVERIFY(test::focusOn(edit)); // editing
        QCOMPARE(edit->palette().color(QPalette::Text), kFieldText);
    }

    // After Enter the focus waits out of sight; Tab and Shift+Tab go on from the control
    // left. A refusal shows as a warning and is announced to screen readers.
    void tabGoesOnAfterEnterAndARefusalIsAWarning() {
        test::Fixture fx;
        int alerts = 0;
        services().alerter = [&alerts](QObject*) { ++alerts; };
        const auto quiet = qScopeGuard([] { services().alerter = nullptr; });
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* comport = test::control(screen, QStringLiteral("txt_Comport"));
        auto* prompt = test::control<QLabel>(screen, QStringLiteral("StatusBar1_Panel1"));
        auto* warning = test::control<QLabel>(screen, QStringLiteral("StatusBar1_Warning"));
        QVERIFY(test::focusOn(comport));
        test::retype(comport, QStringLiteral("0"));
        QTest::keyClick(comport, Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("cmd_dummy"));
        QCOMPARE(prompt->palette().color(QPalette::WindowText), kWarningRed);
        QVERIFY(warning->isVisible());
        QCOMPARE(alerts, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusedName(), QStringLiteral("cbo_Spreadsheet_link"));
        QVERIFY(!warning->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusedName(), QStringLiteral("txt_Comport"));
    }

    // The window going to the background is not the user leaving the field, and Esc puts back
    // the text on entry: neither writes anything, nor does the close after them.
    void deactivatingTheWindowOrEscCommitsNothing() {
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        const Dump before = test::dump(fx);
        QLineEdit* edit = test::control(screen, QStringLiteral("txt_Comport"));
        QVERIFY(test::focusOn(edit));
        const QString onEntry = edit->text();
        test::retype(edit, QStringLiteral("0"));
        {
            QWidget other;
            other.show();
            other.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &other);
            QCOMPARE(background(edit), kEditingYellow);
            QCOMPARE(edit->text(), QStringLiteral("0"));
            QVERIFY(test::promptLine(screen).startsWith(QStringLiteral("Enter the serial port")));
        }
        screen->activateWindow();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), onEntry);
        QVERIFY(screen->close());
        QCOMPARE(test::changes(before, test::dump(fx)), Dump{});
    }

    // The store refuses the write: the screen says so and keeps the edit pending, and the
    // close writes it once the store takes it.
    void aFailedWriteIsReportedAndStaysPending() {
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* edit = test::control(screen, QStringLiteral("txt_Site_ID"));
        QVERIFY(test::focusOn(edit));
        test::retype(edit, QStringLiteral("0012"));
        {
            sql::Database other = fx.openDatabase();
            other.exec(QStringLiteral("BEGIN IMMEDIATE"));
            QTest::keyClick(edit, Qt::Key_Return);
            other.exec(QStringLiteral("ROLLBACK"));
        }
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        QVERIFY(fx.prompter.prompts[0].text.startsWith(
            QStringLiteral("frm_config : txt_Site_ID_LostFocus")));
        QCOMPARE(edit->text(), QStringLiteral("0012"));
        QCOMPARE(fx.query(QStringLiteral("SELECT PC_01 FROM T_PC_Configuration")).toText(),
                 QStringLiteral("1"));
        QVERIFY(screen->close());
        QCOMPARE(fx.query(QStringLiteral("SELECT PC_01 FROM T_PC_Configuration")).toText(),
                 QStringLiteral("12"));
    }

    // Each box writes its own value when the user ticks it and 0 when the user clears it;
    // the box and the store agree.
    void checkBoxesWriteTheirOnValue() {
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        for (const auto& [box, key] :
             {std::pair("chk_enzyme", "PI_57"), std::pair("Chk_PC_bell", "PC_09")}) {
            auto* check = test::control<QCheckBox>(screen, QLatin1String(box));
            QVERIFY(test::focusOn(check));
            for (int click = 0; click < 2; ++click) {
                const Dump before = test::dump(fx);
                test::clickBox(check);
                const QString stored =
                    check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
                QCOMPARE(test::changes(before, test::dump(fx)),
                         (Dump{{QLatin1String(key), stored}}));
            }
        }
    }
};

KR7_TEST_MAIN(TestConfigEditing)
#include "test_config_editing.moc"
