// The configuration screen's texts as the lab staff know them.

#include "config_screen_test_support.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QTabWidget>

using namespace kr7;

namespace {

// The first control of the settings table on the page that takes the focus.
QWidget* firstControlOn(const QWidget* page) {
    for (const config::Setting& s : config::settings())
        if (auto* control = page->findChild<QWidget*>(s.name);
            control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
            return control;
    return nullptr;
}

} // namespace

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
        row("calculated field", "txt_gradient_user", "name", "Gradient, User Values");
        row("calculated field, row 2", "txt_offset_user", "name", "Offset, User Values");
        row("where Enter leaves the focus", "cmd_dummy", "name",
            "Field left; Tab moves to the next field");
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

    // The window fits a 1366 by 768 screen with its title bar and a task bar. There the row
    // labels take at most two lines, and on every tab the Tab key goes row by row, the left
    // half before the right.
    void everyTabFitsASmallScreenAndTabsInItsOwnOrder() {
        QVERIFY(screen_->width() <= 1366 && screen_->height() <= 660);
        QVERIFY(QTest::qWaitForWindowActive(screen_));
        auto* tabs = test::control<QTabWidget>(screen_, QStringLiteral("SSTab1"));
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QWidget* page = tabs->currentWidget();
            QCoreApplication::processEvents();
            for (const QLabel* label : page->findChildren<QLabel*>())
                QVERIFY2(!label->buddy() ||
                             label->height() <= 2 * label->fontMetrics().height() + 4,
                         qPrintable(label->text()));
            const auto place = [page](QWidget* w) {
                const QPoint centre = w->mapTo(page, w->rect().center());
                const bool right = w->parentWidget()->mapTo(page, QPoint()).x() > page->width() / 3;
                return std::tuple(right, centre.y(), centre.x());
            };
            QWidget* at = firstControlOn(page);
            at->setFocus(Qt::TabFocusReason);
            for (QTest::keyClick(at, Qt::Key_Tab); page->isAncestorOf(QApplication::focusWidget());
                 QTest::keyClick(at, Qt::Key_Tab)) {
                QWidget* next = QApplication::focusWidget();
                const auto [wasRight, wasY, wasX] = place(at);
                const auto [right, y, x] = place(next);
                const bool sameRow = std::abs(y - wasY) <= 4;
                QVERIFY2(
                    right > wasRight || (right == wasRight && (sameRow ? x > wasX : y > wasY)),
                    qPrintable(at->objectName() + QStringLiteral(" -> ") + next->objectName()));
                at = next;
            }
        }
    }

  private:
    std::unique_ptr<test::Fixture> fx_;
    frm_config* screen_ = nullptr;
};

KR7_TEST_MAIN(TestConfigTexts)
#include "test_config_texts.moc"
