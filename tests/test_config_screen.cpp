// The configuration screen: what it shows when it opens, how it opens and closes other screens,
// its commands (clearing result tables, "Set to Now"), and the PIC parameters beyond a single
// field's rule (the temperatures that limit one another, the word of switch bits).

#include "config_screen_test_support.h"
#include "services.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

using namespace kr7;
using test::Dump;

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

QString stored(const test::Fixture& fx, int param) {
    return fx.query(QStringLiteral("SELECT PIC_03 FROM T_PIC_Params WHERE PIC_01 = %1").arg(param))
        .toText();
}

// The boxes ticked, as a word of the bits they show.
int shownWord(QWidget* screen) {
    const int bits[] = {1, 16, 32, 2, 4, 8, 64, 128};
    int word = 0;
    for (int i = 0; i < 8; ++i)
        if (test::control<QCheckBox>(screen, QStringLiteral("Check_box(%1)").arg(i))->isChecked())
            word |= bits[i];
    return word;
}

const QStringList kResultTables = {QStringLiteral("T_Samples"), QStringLiteral("T_Samples_old"),
                                   QStringLiteral("Samples_historical"),
                                   QStringLiteral("T_Calibration_data")};

// One row in each result table, and a log of the tables rows are deleted from, in order.
void fillResultTables(const test::Fixture& fx) {
    fx.exec(QStringLiteral("CREATE TABLE delete_log (seq INTEGER PRIMARY KEY, tbl TEXT)"));
    for (const QString& table : kResultTables) {
        fx.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table));
        fx.exec(QStringLiteral("CREATE TRIGGER log_%1 AFTER DELETE ON %1 BEGIN INSERT INTO "
                               "delete_log (tbl) VALUES ('%1'); END")
                    .arg(table));
    }
}

QStringList emptiedInOrder(const test::Fixture& fx) {
    QStringList tables;
    auto db = fx.openDatabase();
    auto select = db.prepare(QStringLiteral("SELECT tbl FROM delete_log ORDER BY seq"));
    while (select.step())
        tables << select.column(0).toText();
    return tables;
}

void click(QWidget* screen, const QString& button) {
    test::control<QPushButton>(screen, button)->click();
}

struct Bits {
    int atLoad, atPress, box, written;
};

struct Clearing {
    QString button, question;
    bool yes;
    QStringList emptied;
};

struct Stamp {
    QString button, key, dateField, hoursField;
};

} // namespace

Q_DECLARE_METATYPE(Stamp)

Q_DECLARE_METATYPE(Clearing)

Q_DECLARE_METATYPE(Bits)

class TestConfigScreen : public QObject {
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

    // One screen, one step after another: each accepted temperature is the limit of the
    // next. An empty message means the value is written.
    void temperaturesLimitEachOther() {
        test::Fixture fx; // minimum 30.0, target 37.0, maximum 40.0
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        struct Step {
            int param;
            const char* typed;
            const char* message;
            const char* stored;
        };
        const Step steps[] = {
            {101, "41", "Target temperature outside min/max temperature", "370"},
            {102, "38", "Min. temperature above target temperature", "300"},
            {103, "36.9", "Max. temperature below target temperature", "400"},
            {103, "38", "", "380"},
            {101, "38", "", "380"},
            {102, "38", "", "380"},
            {101, "37.9", "Target temperature outside min/max temperature", "380"},
            {103, "120", "", "1200"},
            {101, "120", "", "1200"},
            {101, "121", "Valid range 0-120.0", "1200"},
            {102, "x", "Valid range 0-120.0", "380"},
        };
        for (const Step& step : steps) {
            QLineEdit* field =
                test::control(screen, QStringLiteral("txt_params(%1)").arg(step.param));
            QVERIFY(test::focusOn(field));
            QCOMPARE(test::promptLine(screen), QStringLiteral("Valid range 0-120.0"));
            const QString onEntry = field->text();
            test::retype(field, QLatin1String(step.typed));
            QTest::keyClick(field, Qt::Key_Return);
            const bool written = *step.message == 0;
            QCOMPARE(test::promptLine(screen), QLatin1String(step.message));
            QCOMPARE(field->text(),
                     written ? QString::number(QString(step.stored).toInt() / 10.0, 'f', 1)
                             : onEntry);
            QCOMPARE(stored(fx, step.param), QLatin1String(step.stored));
        }
    }

    // A text stored longer by another program is shortened by the user, still too long for
    // the store: it is refused, not dropped as if written.
    void barcodeLettersTheStoreCannotTakeAreRefused() {
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = 'ABCD' WHERE PIC_01 = 22"));
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* field = test::control(screen, QStringLiteral("txt_params(22)"));
        QVERIFY(test::focusOn(field));
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(test::promptLine(screen), QStringLiteral("Valid range 0-2 characters"));
        QCOMPARE(field->text(), QStringLiteral("ABCD"));
        QCOMPARE(stored(fx, 22), QStringLiteral("ABCD"));
    }

    // The word is read at each press, so a bit another program set since the load stays.
    void switchBitsWriteTheWord_data() {
        QTest::addColumn<Bits>("bits");
        QTest::newRow("heating on ticks the display") << Bits{0, 0, 0, 33};
        QTest::newRow("heating off clears reporting") << Bits{49, 49, 0, 32};
        QTest::newRow("OS1 and OS2 off") << Bits{255, 255, 7, 127};
        QTest::newRow("bleeper on beside a new bit") << Bits{17, 145, 3, 147};
        QTest::newRow("reporting off") << Bits{17, 17, 1, 1};
    }
    void switchBitsWriteTheWord() {
        QFETCH(Bits, bits);
        const auto& [atLoad, atPress, box, written] = bits;
        test::Fixture fx;
        const QString setWord =
            QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = '%1' WHERE PIC_01 = 80");
        fx.exec(setWord.arg(atLoad));
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QCOMPARE(shownWord(screen), atLoad);
        fx.exec(setWord.arg(atPress));
        auto* check = test::control<QCheckBox>(screen, QStringLiteral("Check_box(%1)").arg(box));
        QVERIFY(test::focusOn(check));
        test::clickBox(check);
        QCOMPARE(stored(fx, 80), QString::number(written));
        QCOMPARE(shownWord(screen), written);
    }

    void clearingAsksThenEmptiesItsTables_data() {
        QTest::addColumn<Clearing>("clearing");
        const QString samples = QStringLiteral("Do you wish to clear all Samples records");
        const QString calibration = QStringLiteral("Do you wish to clear all Calibration records");
        QTest::newRow("samples, yes")
            << Clearing{"cmd_samples_clear", samples, true, kResultTables.mid(0, 3)};
        QTest::newRow("calibration, yes")
            << Clearing{"cmd_calibration_recs_clear", calibration, true, kResultTables.mid(3)};
        QTest::newRow("calibration, no")
            << Clearing{"cmd_calibration_recs_clear", calibration, false, {}};
    }
    void clearingAsksThenEmptiesItsTables() {
        QFETCH(Clearing, clearing);
        const auto& [button, question, yes, emptied] = clearing;
        test::Fixture fx;
        fillResultTables(fx);
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        const Dump before = test::dump(fx);
        fx.prompter.answerNext(yes ? Answer::Yes : Answer::No);
        click(screen, button);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& asked = fx.prompter.prompts[0];
        QCOMPARE(asked.text, question);
        QCOMPARE(asked.title, QStringLiteral("KR7 Software"));
        QCOMPARE(asked.icon, Icon::Exclamation);
        QCOMPARE(asked.buttons, Buttons::YesNo);
        QCOMPARE(asked.defaultAnswer, Answer::No);
        QCOMPARE(emptiedInOrder(fx), emptied);
        for (const QString& table : kResultTables)
            QCOMPARE(fx.query(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toNumber(),
                     emptied.contains(table) ? 0 : 1);
        QCOMPARE(test::changes(before, test::dump(fx)), Dump{});
    }

    // The real box: one Enter on the question must not empty anything.
    void enterOnTheQuestionClearsNothing() {
        test::Fixture fx;
        fillResultTables(fx);
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QtPrompter boxes;
        services().prompter = &boxes;
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        click(screen, QStringLiteral("cmd_samples_clear"));
        services().prompter = &fx.prompter;
        QCOMPARE(emptiedInOrder(fx), QStringList());
    }

    void setToNowStampsTheDate_data() {
        QTest::addColumn<Stamp>("stamp");
        const auto row = [](const char* button, const char* key, const char* date,
                            const char* hours) {
            QTest::newRow(button) << Stamp{button, key, date, hours};
        };
        row("cmd_last_Check_date_now", "PI_16", "txt_last_Check_date",
            "txt_hours_since_last_CHECK");
        row("cmd_Wash_Add_Date_Now", "PI_65", "txt_Wash_Add_Date", "");
    }
    void setToNowStampsTheDate() {
        QFETCH(Stamp, stamp);
        const auto& [button, key, dateField, hoursField] = stamp;
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        fx.clock.set(test::at(2026, 3, 6, 14, 7, 42));
        screen->Show_status_text(QStringLiteral("earlier"));
        const Dump before = test::dump(fx);
        click(screen, button);
        const Dump stamped = test::changes(before, test::dump(fx));
        QCOMPARE(stamped, (Dump{{key, QStringLiteral("2026-03-06 14:07:42")}}));
        QCOMPARE(test::control(screen, dateField)->text(), QStringLiteral("06/03/26 14:07"));
        if (!hoursField.isEmpty())
            QCOMPARE(test::control(screen, hoursField)->text(), QString());
        QCOMPARE(test::promptLine(screen), QString());
        QVERIFY(screen->close());
        QCOMPARE(test::changes(before, test::dump(fx)), stamped);
        QVERIFY(fx.prompter.prompts.empty());
    }
};

KR7_TEST_MAIN(TestConfigScreen)
#include "test_config_screen.moc"
