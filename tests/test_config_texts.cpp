// The configuration screen's texts, read back from the window built, and its keyboard and
// screen-reader access.

#include "config_layout.h"
#include "config_screen_test_support.h"
#include "settings_table.h"
#include "test_support.h"
#include "widget_colours.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

using namespace kr7;
using config::Kind;

namespace {

int typingLimitOf(const QLineEdit* field) {
    const auto* limit = qobject_cast<const config::TypingLimit*>(field->validator());
    return limit ? limit->limit() : 0;
}

// The first control of the settings table on the page that takes the focus.
QWidget* firstControlOn(const QWidget* page) {
    for (const config::Setting& s : config::settings())
        if (auto* control = page->findChild<QWidget*>(s.name);
            control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
            return control;
    return nullptr;
}

QStringList labelTexts(const QWidget* group) {
    QStringList texts;
    for (const QLabel* label : group->findChildren<QLabel*>())
        texts << label->text();
    return texts;
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

    void everySettingIsBuiltAsTheTableSays() {
        for (const config::Setting& s : config::settings()) {
            QWidget* control = test::control<QWidget>(screen_, s.name);
            QVERIFY2(control, qPrintable(s.name));
            QCOMPARE(control->toolTip(), s.toolTip);
            QCOMPARE(control->accessibleDescription(), s.toolTip);
            const auto* group = test::control<QWidget>(screen_, QLatin1String(s.place.group));
            QVERIFY2(group->isAncestorOf(control), qPrintable(s.name));
            if (auto* field = qobject_cast<QLineEdit*>(control)) {
                QCOMPARE(typingLimitOf(field), s.maxLength);
                QCOMPARE(field->isReadOnly(), s.kind == Kind::ReadOnly);
                if (field->isReadOnly())
                    QCOMPARE(field->palette().color(QPalette::Base), kReadOnlyPeach);
            }
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                QCOMPARE(button->text(), s.label);
            else if (auto* label = qobject_cast<QLabel*>(control))
                QCOMPARE(label->text(), s.label);
            else if (!s.label.isEmpty())
                QVERIFY2(labelTexts(group).contains(s.label), qPrintable(s.name));
        }
    }

    void everyGroupShowsItsCaptionHeadingsAndNote() {
        for (const config::Group& g : config::groups()) {
            auto* widget = test::control<QWidget>(screen_, QLatin1String(g.id));
            QVERIFY2(widget, g.id);
            if (auto* frame = qobject_cast<QGroupBox*>(widget))
                QCOMPARE(frame->title(), g.caption);
            const QStringList texts = labelTexts(widget);
            for (const QString& heading : g.headings)
                QVERIFY2(texts.contains(heading) || heading.startsWith(QLatin1String("PV")),
                         qPrintable(heading));
            if (!g.note.isEmpty())
                QVERIFY(texts.contains(g.note));
        }
    }

    // Texts as the lab staff know them, blanks and spelling included.
    void exactTexts_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::newRow("label, two blanks") << "txt_params(34)"
                                           << "label"
                                           << "CHECK %age variation allowed  (0 to disable "
                                              "checking)";
        QTest::newRow("label, three blanks")
            << "txt_Maintenance_max_hours"
            << "label"
            << "Hours before Maintenance required   (999.9 format, each 0.1 is 6 minutes, 0 to "
               "turn off)";
        QTest::newRow("label, blank in bracket") << "txt_params(102)"
                                                 << "label"
                                                 << "Min. temperature ( deg.C)";
        QTest::newRow("label, spelling") << "txt_params(105)"
                                         << "label"
                                         << "Upper Calibration resistor termperature value (e.g. "
                                            "38.6)";
        QTest::newRow("program tool-tip") << "txt_Program"
                                          << "tip"
                                          << "Cannot change - set when download RJP file";
        QTest::newRow("switch tool-tip") << "Check_box(2)"
                                         << "tip"
                                         << "Must tick this if have temperature controled by PIC";
        QTest::newRow("days tool-tip") << "txt_max_days_calibrant"
                                       << "tip"
                                       << "Range 0-9999 (27 years)";
        QTest::newRow("button") << "cmd_results_all"
                                << "text"
                                << "View Samples records";
        QTest::newRow("grid field") << "txt_params(10)"
                                    << "name"
                                    << "Samples before CHECK required, Max. (0 to turn off)";
        QTest::newRow("grid field, short") << "txt_Check_PV37"
                                           << "name"
                                           << "Check, PV37";
        QTest::newRow("heading only") << "txt_last_Check_date"
                                      << "name"
                                      << "Last CHECK date";
        QTest::newRow("calculated field") << "txt_gradient_user"
                                          << "name"
                                          << "Gradient, User Values";
        QTest::newRow("calculated field, row 2") << "txt_offset_user"
                                                 << "name"
                                                 << "Offset, User Values";
        QTest::newRow("where Enter leaves the focus") << "cmd_dummy"
                                                      << "name"
                                                      << "Field left; Tab moves to the next field";
    }
    void exactTexts() {
        QFETCH(QString, control);
        QFETCH(QString, what);
        QFETCH(QString, text);
        QWidget* w = test::control<QWidget>(screen_, control);
        QVERIFY(w);
        if (what == u"label") {
            QLabel* buddyOf = nullptr;
            for (QLabel* label : screen_->findChildren<QLabel*>())
                if (label->buddy() == w)
                    buddyOf = label;
            QVERIFY(buddyOf);
            QCOMPARE(buddyOf->text(), text);
        } else if (what == u"tip") {
            QCOMPARE(w->toolTip(), text);
        } else if (what == u"text") {
            QCOMPARE(qobject_cast<QAbstractButton*>(w)->text(), text);
        } else {
            QCOMPARE(w->accessibleName(), text);
        }
    }

    void windowTexts() {
        QCOMPARE(screen_->windowTitle(), QStringLiteral("KR7 Data Configuration 4-0f "));
        auto* tabs = test::control<QTabWidget>(screen_, QStringLiteral("SSTab1"));
        const QStringList expected = {
            "1 : CHECK and dips", "2 : Calibration", "3 Washing / Wash Add.",
            "4 : Timers",         "5 : Valves",      "6 : Switches",
            "7 : Downloads",      "8 : Other",       "9 : Other forms"};
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
        QCOMPARE(captions, expected);
        const QStringList texts = labelTexts(screen_);
        QVERIFY(texts.contains(QStringLiteral(
            "Settings not found here will be on the Configuration screen in KR7_Main")));
        QVERIFY(texts.contains(QStringLiteral("You can press ESC to abort a change")));
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
