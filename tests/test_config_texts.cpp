// The configuration screen's texts as the lab staff know them.

#include "config_screen_test_support.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QTabWidget>

using namespace kr7;

class TestConfigTexts : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        fx_ = std::make_unique<test::Fixture>();
        screen_ = test::openConfig();
        QVERIFY(screen_);
    }
    void cleanupTestCase() {
        test::deleteTopLevelWindows();
        fx_.reset();
    }

    // Blanks and spelling included. `what`: the row label (the control's buddy), the tool-tip,
    // a button's or a frame's own text, the accessible name, or a text shown in the window.
    void exactTexts_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const char* control, const char* what,
                            const char* text) { QTest::newRow(name) << control << what << text; };
        row("label, two blanks", "txt_params(34)", "label",
            "CHECK %age variation allowed  (0 to disable checking)");
        row("label, three blanks", "txt_Maintenance_max_hours", "label",
            "Hours before Maintenance required   (999.9 format, each 0.1 is 6 minutes, 0 to "
            "turn off)");
        row("label, blank in bracket", "txt_params(102)", "label", "Min. temperature ( deg.C)");
        row("label, spelling", "txt_params(105)", "label",
            "Upper Calibration resistor termperature value (e.g. 38.6)");
        row("program tool-tip", "txt_Program", "tip", "Cannot change - set when download RJP file");
        row("switch tool-tip", "Check_box(2)", "tip",
            "Must tick this if have temperature controled by PIC");
        row("days tool-tip", "txt_max_days_calibrant", "tip", "Range 0-9999 (27 years)");
        row("button", "cmd_results_all", "text", "View Samples records");
        row("frame", "fra_enforced_CALIBRATION", "text", "Enforced CALIBRATION");
        row("grid field", "txt_params(10)", "name",
            "Samples before CHECK required, Max. (0 to turn off)");
        row("grid field, short", "txt_Check_PV37", "name", "Check, PV37");
        row("heading only", "txt_last_Check_date", "name", "Last CHECK date");
        row("frame note", "fra_standard_PV", "shown",
            "Only change these if really necessary - it is used to derive PV25 from the barcode "
            "PV37");
        row("tab note", "sec_timers_note", "shown", "Setting a timer value to 0 will disable it");
        row("screen note", "frm_config", "shown",
            "Settings not found here will be on the Configuration screen in KR7_Main");
        row("escape note", "frm_config", "shown", "You can press ESC to abort a change");
        row("instrument number", "StatusBar1_Panel2", "shown", "KR7 = 101");
    }
    void exactTexts() {
        QFETCH(QString, control);
        QFETCH(QString, what);
        QFETCH(QString, text);
        QWidget* w = control == u"frm_config" ? screen_ : test::control<QWidget>(screen_, control);
        QVERIFY(w);
        QStringList texts;
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        for (const QLabel* label : (what == u"label" ? screen_ : w)->findChildren<QLabel*>())
            if (what != u"label" || label->buddy() == w)
                texts << label->text();
        if (what == u"label" || what == u"shown")
            QVERIFY2(texts.contains(text), qPrintable(texts.join(u'|').left(400)));
        else if (what == u"tip")
            QCOMPARE(w->toolTip(), text);
        else if (auto* frame = qobject_cast<QGroupBox*>(w))
            QCOMPARE(frame->title(), text);
        else if (what == u"text")
            QCOMPARE(qobject_cast<QAbstractButton*>(w)->text(), text);
        else
            QCOMPARE(w->accessibleName(), text);
    }

    void windowCaptions() {
        QCOMPARE(screen_->windowTitle(), QStringLiteral("KR7 Data Configuration 4-0f "));
        auto* tabs = test::control<QTabWidget>(screen_, QStringLiteral("SSTab1"));
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
        QCOMPARE(captions,
                 QStringList({"1 : CHECK and dips", "2 : Calibration", "3 Washing / Wash Add.",
                              "4 : Timers", "5 : Valves", "6 : Switches", "7 : Downloads",
                              "8 : Other", "9 : Other forms"}));
    }

  private:
    std::unique_ptr<test::Fixture> fx_;
    frm_config* screen_ = nullptr;
};

KR7_TEST_MAIN(TestConfigTexts)
#include "test_config_texts.moc"
