#pragma once

#include "database.h"
#include "test_support.h"

#include <memory>

namespace kr7::test {

// Records, in order, every write to a label slot or to a cleaning field of T_PIC_list, by
// triggers of the test's own: "slot 34 LN_03", "PI_68".
class WriteLog {
  public:
    explicit WriteLog(const Fixture& fx) : fx_(fx) {
        fx.exec(QStringLiteral("CREATE TABLE test_write_log (what TEXT)"));
        for (const char* field : {"LN_03", "LN_04"})
            fx.exec(QStringLiteral("CREATE TRIGGER test_log_%1 AFTER UPDATE OF %1 ON "
                                   "T_Labels_wanted BEGIN INSERT INTO test_write_log VALUES "
                                   "('slot ' || NEW.LN_01 || ' %1'); END")
                        .arg(QLatin1String(field)));
        for (int n = 48; n <= 87; ++n)
            fx.exec(QStringLiteral("CREATE TRIGGER test_log_PI_%1 AFTER UPDATE OF PI_%1 ON "
                                   "T_PIC_list BEGIN INSERT INTO test_write_log VALUES "
                                   "('PI_%1'); END")
                        .arg(n));
    }

    QStringList writes() const {
        auto db = fx_.openDatabase();
        auto select = db.prepare(QStringLiteral("SELECT what FROM test_write_log ORDER BY rowid"));
        QStringList writes;
        while (select.step())
            writes << select.columnText(0);
        return writes;
    }

  private:
    const Fixture& fx_;
};

// What is stored at "slot 34" (its label), "desc 33" (its description) or "PI_68".
inline QString stored(const Fixture& fx, const QString& where) {
    const QStringList parts = where.split(u' ');
    if (parts.size() == 1)
        return fx.query(QStringLiteral("SELECT %1 FROM T_PIC_list").arg(where)).toText();
    const QString field =
        parts[0] == QLatin1String("slot") ? QStringLiteral("LN_03") : QStringLiteral("LN_04");
    return fx
        .query(
            QStringLiteral("SELECT %1 FROM T_Labels_wanted WHERE LN_01 = %2").arg(field, parts[1]))
        .toText();
}

// A fresh database and an owner window for the screen, as the configuration screen is.
class CleaningFixture {
  public:
    CleaningFixture() : owner(std::make_unique<QWidget>()) {}

    // Opens the screen by its factory, as the button would, and waits until it is active.
    template <class Screen> Screen* open(QWidget* (*factory)(QWidget*)) {
        Open_database();
        return activated(qobject_cast<Screen*>(factory(owner.get())));
    }

    Fixture fx;
    std::unique_ptr<QWidget> owner;
};

} // namespace kr7::test
