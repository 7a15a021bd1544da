#include "test_support.h"

#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "frm_password.h"
#include "install_folder.h"
#include "seed.h"
#include "services.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPointer>
#include <QTabWidget>

namespace kr7::test {

Answer RecordingPrompter::ask(const Prompt& prompt) {
    prompts.push_back(prompt);
    if (!answers_.empty()) {
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    switch (prompt.buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::AbortRetryIgnore:
        return Answer::Ignore;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

void FixedClock::sleep(std::chrono::milliseconds duration) {
    ++sleeps;
    slept += duration;
}

QStringList hostileTexts() {
    return {QStringLiteral("'"),
            QStringLiteral("O'Brien"),
            QStringLiteral("'; DROP TABLE T_Samples; --"),
            QStringLiteral("\" OR 1=1 --"),
            QStringLiteral("x'); DELETE FROM T_PC_Configuration; SELECT ('"),
            QStringLiteral("; ; ;"),
            QStringLiteral("%s%n%x\\0"),
            QString(10000, u'x'),
            QStringLiteral("tab\tbell\aescape\x1b"),
            QStringLiteral("Вязкость плазмы 血浆粘度 لزوجة"),
            QStringLiteral("\U0001F9EA tube")};
}

int tableCount(const Fixture& fx) {
    return int(fx.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table'"))
                   .toNumber());
}

void deleteTopLevelWindows() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}

bool focusOn(QWidget* control) {
    for (QTabWidget* tabs : control->window()->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(control))
                tabs->setCurrentIndex(i);
    control->setFocus(Qt::MouseFocusReason);
    return QTest::qWaitFor([control] { return control->hasFocus(); });
}

QString focusedName(const QWidget* window) {
    const QWidget* focus = window ? window->focusWidget() : QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

void retype(QLineEdit* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

void pasteOver(QWidget* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

QDateTime at(int year, int month, int day, int hour, int minute, int second) {
    return conv::naiveDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

Fixture::Fixture(bool withDatabase) {
    qputenv("KR7_HOME", dir_.path().toUtf8());
    clock.set(at(2026, 3, 5, 10, 30));
    services().prompter = &prompter;
    services().clock = &clock;
    services().endedWith.reset();
    closeDatabase();
    Set_PIC_ID(QString());
    if (withDatabase)
        seed::createDatabase(databasePath(), {false, clock.now()});
}

Fixture::~Fixture() {
    releaseInstanceLock();
    closeDatabase();
    services().prompter = nullptr;
    services().clock = nullptr;
}

QString Fixture::folder() const {
    return files::installFolder();
}

QString Fixture::databasePath() const {
    return files::databaseFile();
}

sql::Database Fixture::openDatabase() const {
    return sql::Database::open(databasePath());
}

void Fixture::exec(const QString& sql) const {
    openDatabase().exec(sql);
}

Value Fixture::query(const QString& sql) const {
    auto db = openDatabase();
    auto statement = db.prepare(sql);
    return statement.step() ? statement.column(0) : Value();
}

QStringList Fixture::errorLogLines() const {
    QFile log(files::errorLogFile());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ScreenTest::init() {
    fx = std::make_unique<Fixture>();
    Open_database();
}

void ScreenTest::cleanup() {
    deleteTopLevelWindows();
    fx.reset();
}

} // namespace kr7::test
