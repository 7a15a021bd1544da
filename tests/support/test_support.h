#pragma once

#include "clock.h"
#include "guarded_application.h"
#include "prompter.h"
#include "sqlite_db.h"
#include "value.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>
#include <vector>

namespace kr7::test {

// Records every message box and answers from a script; with no answer scripted it takes
// the harmless one (OK, No, Ignore).
class RecordingPrompter : public Prompter {
  public:
    Answer ask(const Prompt& prompt) override;
    void answerNext(Answer answer) { answers_.push_back(answer); }

    std::vector<Prompt> prompts;

  private:
    std::deque<Answer> answers_;
};

// A clock that stands still until a test moves it; sleeping only counts.
class Fixture;

class FixedClock : public Clock {
  public:
    QDateTime now() const override { return now_; }
    void sleep(std::chrono::milliseconds duration) override;
    void set(const QDateTime& now) { now_ = now; }

    int sleeps = 0;
    std::chrono::milliseconds slept{0};

  private:
    QDateTime now_;
};

// Texts that attack: quotes (one alone, short enough for a two-letter field), SQL, a
// 10,000-character text, control characters, non-Latin letters and a character outside the basic
// plane. All of them fit a one-line field.
QStringList hostileTexts();

// How many tables the database holds: a text that ran as SQL would change it.
int tableCount(const Fixture& fx);

// Deletes every top-level window; a window owned by another goes with its owner, so each
// is deleted once.
void deleteTopLevelWindows();

// The window once it is the active one, as the keyboard needs it; null if it never becomes so.
template <class W> W* activated(W* window) {
    if (!window || !QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
        return nullptr;
    return window;
}

template <class W = QLineEdit> W* control(const QWidget* window, const QString& name) {
    return window->findChild<W*>(name);
}

inline QLineEdit* field(const QWidget* window, const QString& name) {
    return control(window, name);
}

// A field found as a screen reader finds it: by its accessible name.
inline QLineEdit* fieldNamed(const QWidget* window, const QString& accessibleName) {
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->accessibleName() == accessibleName)
            return edit;
    return nullptr;
}

// Gives the control the focus as a click would, bringing its tab page forward first.
bool focusOn(QWidget* control);

// The name of the control with the focus: the window's own, or the application's.
QString focusedName(const QWidget* window = nullptr);

// Replaces a field's text from the keyboard, as the user would.
void retype(QLineEdit* field, const QString& text);

// Replaces a field's text by pasting, which passes by the key rules.
void pasteOver(QWidget* field, const QString& text);

// A naive date-time, as the program keeps them.
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A fresh install folder (KR7_HOME) with a database made from the schema and the starting
// records, the test prompter and clock in place, and no shared connection open yet.
class Fixture {
  public:
    explicit Fixture(bool withDatabase = true);
    ~Fixture();
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    QString folder() const;
    QString databasePath() const;
    // A connection of the test's own, as another program would have.
    sql::Database openDatabase() const;
    // Runs one statement on the test's own connection.
    void exec(const QString& sql) const;
    // The first column of the first row of a query on the test's own connection.
    Value query(const QString& sql) const;
    QStringList errorLogLines() const;

    RecordingPrompter prompter;
    FixedClock clock;

  private:
    QTemporaryDir dir_;
};

// A test program of one screen: each case on a fresh install folder with the shared
// connection open, and every window gone after it.
class ScreenTest : public QObject {
    Q_OBJECT

  protected:
    std::unique_ptr<Fixture> fx;

  private slots:
    void init();
    void cleanup();
};

} // namespace kr7::test

// QTEST_MAIN with the program's own application class (its event-dispatch guard) and the
// offscreen platform.
#define KR7_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char** argv) {                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        kr7::GuardedApplication app(argc, argv);                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
