// The error reporter and its log, the trap that acts on the user's answer, and the
// event-dispatch guard for handlers without a trap of their own.

#include "error_report.h"
#include "guarded_application.h"
#include "install_folder.h"
#include "services.h"
#include "test_support.h"
#include "trap.h"

#include <QDir>
#include <QLineEdit>

using namespace kr7;

Q_DECLARE_METATYPE(kr7::ErrorInfo)
Q_DECLARE_METATYPE(kr7::Answer)

namespace {

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

} // namespace

class TestErrorReport : public QObject {
    Q_OBJECT

  private slots:
    void texts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ErrorInfo>("error");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QString>("boxText");
        const auto row = [](const char* name, const ErrorInfo& error, const char* logged,
                            const char* shown) {
            QTest::newRow(name) << QString(name) << error << QString(logged) << QString(shown);
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
        QFETCH(QString, name);
        QFETCH(ErrorInfo, error);
        QFETCH(QString, logLine);
        QFETCH(QString, boxText);
        QCOMPARE(errorLogLine(test::at(2026, 3, 5, 9, 4, 7), name, error), logLine);
        QCOMPARE(errorBoxText(name, error), boxText);
    }

    void reportLogsFirstThenAsks() {
        test::Fixture fx;
        LogWatchingPrompter prompter(fx);
        services().prompter = &prompter;
        prompter.answerNext(Answer::Retry);
        QCOMPARE(Report_error("frm_Config : form_load", kTypeMismatch), Answer::Retry);
        fx.clock.set(test::at(2026, 3, 6, 8, 0));
        QCOMPARE(Report_error("plain message"), Answer::Ignore);
        QCOMPARE(prompter.logLinesAtBox, (std::vector<qsizetype>{1, 2}));
        const Prompt& p = prompter.prompts[0];
        QCOMPARE(p.text, QStringLiteral("frm_Config : form_load : 13 Type mismatch"));
        QCOMPARE(p.title, QStringLiteral("Contact Support before continuing"));
        QCOMPARE(p.buttons, Buttons::AbortRetryIgnore);
        QCOMPARE(p.icon, Icon::None);
        QCOMPARE(fx.errorLogLines(),
                 (QStringList{"05-03-26 10:30:00 -  ERR  13 - Type mismatchfrm_Config : form_load",
                              "06-03-26 08:00:00 - plain message"}));
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
    void lockConflictIsRetriedSilentlyFirst_data() {
        QTest::addColumn<int>("failures");
        QTest::newRow("clears") << 2;
        QTest::newRow("outlasts the retries") << kSilentLockRetries + 1;
    }
    void lockConflictIsRetriedSilentlyFirst() {
        QFETCH(int, failures);
        test::Fixture fx;
        FlakyStep step{failures, Error(errnum::RecordLocked, QStringLiteral("Could not update"))};
        const bool shown = failures > kSilentLockRetries;
        QCOMPARE(Trap(QStringLiteral("x")).run(std::ref(step)), !shown);
        QCOMPARE(step.runs, shown ? failures : failures + 1);
        QCOMPARE(fx.clock.sleeps, std::min(failures, kSilentLockRetries));
        QCOMPARE(fx.prompter.prompts.size(), shown ? 1u : 0u);
        if (shown)
            QVERIFY(
                fx.prompter.prompts[0].text.endsWith(QStringLiteral(": 3260 Could not update")));
        QCOMPARE(fx.errorLogLines().size(), qsizetype(failures));
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

KR7_TEST_MAIN(TestErrorReport)
#include "test_error_report.moc"
