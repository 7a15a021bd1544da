// The configuration store (the single-record tables, the numbered PIC parameters and the type
// conversions of a write), the text, number and date conversions every screen goes through,
// and the error reporter with its log, its trap and the event-dispatch guard.

#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "errors.h"
#include "guarded_application.h"
#include "install_folder.h"
#include "services.h"
#include "test_support.h"
#include "trap.h"

#include <QDir>
#include <QLineEdit>

using namespace kr7;
using kr7::test::at;

Q_DECLARE_METATYPE(kr7::Value)
Q_DECLARE_METATYPE(kr7::ErrorInfo)
Q_DECLARE_METATYPE(kr7::Answer)

namespace kr7 {
// Found by QCOMPARE through argument-dependent lookup.
char* toString(const Value& v) {
    static const char* const kinds[] = {"Empty",    "Null", "Text", "Whole",
                                        "Floating", "Date", "YesNo"};
    return QTest::toString(QString::fromLatin1(kinds[int(v.kind())]) + u'(' + v.toText() + u')');
}
} // namespace kr7

namespace {

QString param(const test::Fixture& fx, int number, const char* field) {
    const auto sql = QStringLiteral("SELECT %1 FROM T_PIC_Params WHERE PIC_01 = %2");
    return fx.query(sql.arg(QLatin1String(field)).arg(number)).toText();
}

std::int32_t errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

QString number(const char* text) {
    return QStringLiteral("%1 %2")
        .arg(conv::leadingNumber(QString::fromUtf8(text)))
        .arg(conv::isNumeric(QString::fromUtf8(text)) ? "numeric" : "not numeric");
}

QString rounded(double x) {
    return QStringLiteral("%1 %2").arg(conv::roundHalfEven(x)).arg(conv::roundDown(x));
}

QString date(const char* text) {
    const auto read = conv::readDate(QString::fromUtf8(text));
    return read ? read->toString(QStringLiteral("yyyy-MM-dd hh:mm")) : QStringLiteral("none");
}

const ErrorInfo kTypeMismatch{errnum::TypeMismatch, QStringLiteral("Type mismatch"), 0};
const ErrorInfo kLocked{errnum::RecordLocked, QStringLiteral("Could not update"), 0};

// Notes how many log lines there were when each box was shown.
class LogWatchingPrompter : public test::RecordingPrompter {
  public:
    explicit LogWatchingPrompter(const test::Fixture& fx) : fx_(fx) {}
    Answer ask(const Prompt& prompt) override {
        logLinesAtBox.push_back(fx_.errorLogLines().size());
        return RecordingPrompter::ask(prompt);
    }
    std::vector<qsizetype> logLinesAtBox;

  private:
    const test::Fixture& fx_;
};

// A step that fails with `error` the first `failures` times it runs.
struct FlakyStep {
    int failures;
    Error error{errnum::TypeMismatch, QStringLiteral("Type mismatch")};
    int runs = 0;
    void operator()() {
        if (++runs <= failures)
            throw error;
    }
};

class ThrowingField : public QLineEdit {
  public:
    int presses = 0;
    int failures = 1;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (++presses <= failures)
            throw Error(errnum::TypeMismatch, QStringLiteral("Type mismatch"));
        QLineEdit::keyPressEvent(e);
    }
};

struct Fit {
    QString field;
    Value value, fitted;
    int error;
};

struct Texts {
    QString name;
    ErrorInfo error;
    QString logLine, boxText;
};

} // namespace

Q_DECLARE_METATYPE(Texts)

Q_DECLARE_METATYPE(Fit)

class TestStore : public QObject {
    Q_OBJECT

  private slots:
    void picParamEncoding_data() {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("hex");
        const auto row = [](const char* name, Value v, const char* entered, const char* hex) {
            QTest::newRow(name) << v << QString::fromUtf8(entered) << QString(hex);
        };
        row("text 12.5, half to even", Value::text("12.5"), "12.5", "000C");
        row("one digit is a number", Value::text("7"), "7", "0007");
        row("two letters", Value::text("AB"), "AB", "4142");
        row("a sign alone is a letter", Value::text("-"), "-", "2D00");
        row("single-byte code", Value::text(QStringLiteral("\u20AC")), "\u20AC", "8000");
        row("three letters change nothing", Value::text("ABC"), "50", "0032");
        row("negative", Value::whole(-2), "-2", "FFFE");
        row("wider than four digits", Value::whole(70000), "70000", "1170");
    }
    void picParamEncoding() {
        QFETCH(Value, value);
        QFETCH(QString, entered);
        QFETCH(QString, hex);
        test::Fixture fx;
        Open_database();
        update_PIC_Param_value(10, value);
        QCOMPARE(param(fx, 10, "PIC_03"), entered);
        QCOMPARE(param(fx, 10, "PIC_04"), hex);
        QCOMPARE(Get_PIC_Param_value(10).toText(), entered);
        QVERIFY(fx.prompter.prompts.empty());
    }

    // A file made by another tool may lack the NOT NULL of the Yes/No fields.
    void nullFieldReadsAsEmptyText() {
        for (const auto& [table, field] :
             {std::pair(schema::PC_Configuration, "PC_34"),
              std::pair(schema::PC_Configuration, "PC_09"), std::pair(schema::PIC_list, "PI_03")}) {
            test::Fixture fx;
            fx.exec(QStringLiteral("CREATE TABLE copy AS SELECT * FROM %1; DROP TABLE %1; "
                                   "ALTER TABLE copy RENAME TO %1; UPDATE %1 SET %2 = NULL")
                        .arg(table, QLatin1String(field)));
            Open_database();
            const QString name = QLatin1String(field);
            QCOMPARE(table == schema::PIC_list ? Get_PIC_list_value(name)
                                               : Get_PC_Config_value(name),
                     Value::text(QString()));
        }
    }

    void missingParamIsReported() {
        test::Fixture fx;
        Open_database();
        QCOMPARE(Get_PIC_Param_value(999), Value());
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& p = fx.prompter.prompts[0];
        QCOMPARE(p.text, QStringLiteral("Get_PIC_Param_value : PIC Param 999 missing"));
        QCOMPARE(p.buttons, Buttons::AbortRetryIgnore);
        QCOMPARE(fx.errorLogLines(),
                 QStringList{"05-03-26 10:30:00 - Get_PIC_Param_value : PIC Param 999 missing"});

        const auto all =
            QStringLiteral("SELECT count(*) || group_concat(PIC_03) FROM T_PIC_Params");
        const Value before = fx.query(all);
        update_PIC_Param_value(-5, Value::whole(1));
        QCOMPARE(fx.prompter.prompts.back().text,
                 QStringLiteral("update_PIC_Param_value : PIC Param-5 missing"));
        QCOMPARE(fx.query(all), before);
        QCOMPARE(fx.errorLogLines().size(), qsizetype(2));
    }

    void onlyTheFirstRecordIsWritten() {
        test::Fixture fx;
        fx.exec("INSERT INTO T_PC_Configuration (PC_02) VALUES ('second')");
        Open_database();
        update_PC_Config_value("PC_02", Value::text("X"));
        QCOMPARE(fx.query("SELECT group_concat(PC_02, '|') FROM "
                          "(SELECT PC_02 FROM T_PC_Configuration ORDER BY rowid)"),
                 Value::text("X|second"));
        QCOMPARE(Get_PC_Config_value("PC_02"), Value::text("X"));
    }

    void fitForField_data() {
        QTest::addColumn<Fit>("fit");
        const auto row = [](const char* name, const char* field, Value v, Value fitted,
                            int error = 0) {
            QTest::newRow(name) << Fit{field, v, fitted, error};
        };
        row("number text into floating", "PC_03", Value::text(" 12.5 "), Value::floating(12.5));
        row("half to even into whole", "PC_01", Value::text("2.5"), Value::whole(2));
        row("-1 into Yes/No", "PC_09", Value::whole(-1), Value::yesNo(true));
        row("null into Yes/No", "PC_09", Value::null(), Value::yesNo(false));
        row("date text into date", "PC_34", Value::text("05/03/26 14:07"),
            Value::date(test::at(2026, 3, 5, 14, 7)));
        row("text as long as the field", "PC_42", Value::text("0123456789"),
            Value::text("0123456789"));
        row("abc into number", "PC_03", Value::text("abc"), {}, errnum::TypeMismatch);
        row("too large for whole", "PC_01", Value::floating(3e9), {}, errnum::Overflow);
        row("text longer than field", "PC_42", Value::text("0123456789A"), {},
            errnum::MultipleStep);
        row("unknown field", "PC_999", Value::whole(1), {}, errnum::ItemNotFound);
    }
    void fitForField() {
        QFETCH(Fit, fit);
        const auto& [field, value, fitted, error] = fit;
        Value result;
        QCOMPARE(errorOf([&] {
                     const auto& column = store::columnOf(schema::PC_Configuration, field);
                     result = store::fitForField(column, value);
                 }),
                 error);
        QCOMPARE(result, fitted);
    }

    void edgeCases_data() {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& result, const char* expected) {
            QTest::newRow(name) << result << QString::fromUtf8(expected);
        };
        row("12x", number("12x"), "12 not numeric");
        row("blanks inside", number(" 1 2"), "12 not numeric");
        row("-3.5", number("-3.5"), "-3.5 numeric");
        row(".5", number(".5"), "0.5 numeric");
        row("exponent", number("1e3"), "1000 not numeric");
        row("two points", number("1.2.3"), "1.2 not numeric");
        row("empty", number(""), "0 not numeric");
        row("two signs", number("--3"), "0 not numeric");
        row("2.5", rounded(2.5), "2 2");
        row("-2.5", rounded(-2.5), "-2 -3");
        row("just above a half", rounded(2.5000001), "3 2");
        row("-0.1", rounded(-0.1), "0 -1");
        row("a half in decimals, below it in binary", conv::formatNumber(2.675, u"0.00"), "2.68");
        row("no negative zero", conv::formatNumber(-0.004, u"0.00"), "0.00");
        row("negative percent", conv::formatNumber(-0.05, u"0%"), "-5%");
        row("percent of a difference", conv::formatNumber(1.05 - 1, u"0%"), "5%");
        row("thousands", conv::formatNumber(1234567, u"#,###"), "1,234,567");
        row("zero in thousands", conv::formatNumber(0, u"#,###"), "");
        row("four-digit year", date("5/3/2026 14:07"), "2026-03-05 14:07");
        row("points, blanks", date(" 05.03.26 "), "2026-03-05 00:00");
        row("as stored", date("2026-03-05 14:07:00"), "2026-03-05 14:07");
        row("leap day", date("29/02/24"), "2024-02-29 00:00");
        row("year 29", date("01/01/29"), "2029-01-01 00:00");
        row("year 30", date("01/01/30"), "1930-01-01 00:00");
        row("no such day", date("31/02/26"), "none");
        row("no such hour", date("05/03/26 25:00"), "none");
        const auto hours = [](const QDateTime& from, const QDateTime& to) {
            return QString::number(conv::hourBoundaries(from, to));
        };
        row("across one hour", hours(at(2026, 3, 5, 10, 59), at(2026, 3, 5, 11, 1)), "1");
        row("across a clock change", hours(at(2026, 3, 29), at(2026, 3, 29, 4)), "4");
        row("reversed", hours(at(2026, 3, 5, 11, 1), at(2026, 3, 5, 10, 59)), "-1");
    }
    void edgeCases() {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }

    void texts_data() {
        QTest::addColumn<Texts>("row");
        const auto row = [](const char* name, const ErrorInfo& error, const char* logged,
                            const char* shown) {
            QTest::newRow(name) << Texts{name, error, logged, shown};
        };
        row("frm_Config : form_load", kTypeMismatch,
            "05-03-26 09:04:07 -  ERR  13 - Type mismatchfrm_Config : form_load",
            "frm_Config : form_load : 13 Type mismatch");
        row("grid_Messages : cmdDelRec_Click", {13, "Type mismatch", 120},
            "05-03-26 09:04:07 -  ERL  120 ERR  13 - Type mismatchgrid_Messages : cmdDelRec_Click",
            "grid_Messages : cmdDelRec_Click : Error on line  120 : 13 Type mismatch");
        row("frm_password : form_load", {errnum::MultipleStep, "Multiple-step", 0},
            "05-03-26 09:04:07 - frm_password : form_load", "frm_password : form_load");
        row("frm_label_config : form_load", {errnum::ProviderError, "Unspecified error", 45},
            "05-03-26 09:04:07 -  ERL  45frm_label_config : form_load",
            "frm_label_config : form_load : Error on line  45");
    }
    void texts() {
        QFETCH(Texts, row);
        const auto& [name, error, logLine, boxText] = row;
        QCOMPARE(errorLogLine(test::at(2026, 3, 5, 9, 4, 7), name, error), logLine);
        QCOMPARE(errorBoxText(name, error), boxText);
    }

    void reportLogsFirstThenAsks() {
        test::Fixture fx;
        LogWatchingPrompter prompter(fx);
        services().prompter = &prompter;
        prompter.answerNext(Answer::Retry);
        QCOMPARE(Report_error("frm_Config : form_load", kTypeMismatch), Answer::Retry);
        QCOMPARE(prompter.logLinesAtBox, (std::vector<qsizetype>{1}));
        const Prompt& p = prompter.prompts[0];
        QCOMPARE(p.text, QStringLiteral("frm_Config : form_load : 13 Type mismatch"));
        QCOMPARE(p.title, QStringLiteral("Contact Support before continuing"));
        QCOMPARE(p.buttons, Buttons::AbortRetryIgnore);
        QCOMPARE(p.icon, Icon::None);
        QCOMPARE(fx.errorLogLines(),
                 QStringList{"05-03-26 10:30:00 -  ERR  13 - Type mismatchfrm_Config : form_load"});
    }

    void trapActsOnTheAnswer_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("nextRan");
        QTest::newRow("Retry runs the step again") << Answer::Retry << 2 << true;
        QTest::newRow("Ignore goes on with the next") << Answer::Ignore << 1 << true;
        QTest::newRow("Abort ends") << Answer::Abort << 1 << false;
    }
    void trapActsOnTheAnswer() {
        QFETCH(Answer, answer);
        QFETCH(int, runs);
        QFETCH(bool, nextRan);
        test::Fixture fx;
        fx.prompter.answerNext(answer);
        FlakyStep step{1};
        bool next = false, firstDone = false;
        const Trap trap(QStringLiteral("grid_Messages : cmdDelRec_Click"));
        try {
            firstDone = trap.run(std::ref(step));
            trap.run([&] { next = true; });
        } catch (const ProgramEnded&) {
            QVERIFY(services().endedWith.has_value());
        }
        QCOMPARE(step.runs, runs);
        QCOMPARE(firstDone, answer == Answer::Retry);
        QCOMPARE(next, nextRan);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        QVERIFY(fx.prompter.prompts[0].text.startsWith(
            "grid_Messages : cmdDelRec_Click : Error on line  "));
        QVERIFY(fx.errorLogLines().value(0).contains(" ERL "));
    }

    // Every conflict is logged; only one that outlasts the silent retries is shown.
    void lockConflictIsRetriedSilentlyFirst() {
        for (const int failures : {2, kSilentLockRetries + 1}) {
            test::Fixture fx;
            FlakyStep step{failures,
                           Error(errnum::RecordLocked, QStringLiteral("Could not update"))};
            const bool shown = failures > kSilentLockRetries;
            QCOMPARE(Trap(QStringLiteral("x")).run(std::ref(step)), !shown);
            QCOMPARE(step.runs, shown ? failures : failures + 1);
            QCOMPARE(fx.clock.sleeps, std::min(failures, kSilentLockRetries));
            QCOMPARE(fx.prompter.prompts.size(), shown ? 1u : 0u);
            if (shown)
                QVERIFY(fx.prompter.prompts[0].text.endsWith(
                    QStringLiteral(": 3260 Could not update")));
            QCOMPARE(fx.errorLogLines().size(), qsizetype(failures));
        }
    }

    void unwritableLogStillShowsTheBox() {
        test::Fixture fx;
        QVERIFY(QDir().mkpath(files::errorLogFile()));
        QCOMPARE(Report_error("frm_Config : form_load", kTypeMismatch), Answer::Ignore);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const QString text = fx.prompter.prompts[0].text;
        QVERIFY(text.startsWith("frm_Config : form_load : 13 Type mismatch"));
        QVERIFY2(text.contains("could not be written"), qPrintable(text));
        QVERIFY(text.contains(files::errorLogFile()));
    }

    void unguardedHandlerIsReportedUnderItsName() {
        test::Fixture fx;
        QWidget window;
        window.setObjectName("frm_config");
        auto* field = new ThrowingField;
        field->setObjectName("txt_Site_ID");
        field->setParent(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::ignoreMessage(QtWarningMsg, "Keyboard event not accepted by receiving widget");
        QTest::keyClick(field, Qt::Key_A);
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        QCOMPARE(fx.prompter.prompts[0].text,
                 QStringLiteral("frm_config : txt_Site_ID_KeyPress : 13 Type mismatch"));
        QCOMPARE(field->text(), QString());

        // Retry hands the same event to the handler again.
        field->failures = field->presses + 1;
        fx.prompter.answerNext(Answer::Retry);
        QTest::keyClick(field, Qt::Key_B);
        QCOMPARE(field->text(), QStringLiteral("b"));
        QCOMPARE(fx.errorLogLines().size(), qsizetype(2));

        field->failures = field->presses + 1;
        fx.prompter.answerNext(Answer::Abort);
        QTest::keyClick(field, Qt::Key_C);
        QVERIFY(services().endedWith.has_value());
        QCOMPARE(field->text(), QStringLiteral("b"));

        QFocusEvent out(QEvent::FocusOut);
        QCOMPARE(handlerName(field, &out), QStringLiteral("frm_config : txt_Site_ID_LostFocus"));
    }
};

KR7_TEST_MAIN(TestStore)
#include "test_store.moc"
