#include "config_commands.h"

#include "clock.h"
#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "prompter.h"
#include "schema.h"
#include "services.h"
#include "trap.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace kr7::config {

namespace {

struct ClearCommand {
    const char* button;
    const char* question;
    QStringList tables; // emptied in this order
};

const std::vector<ClearCommand>& clearCommands() {
    static const std::vector<ClearCommand> commands = {
        {"cmd_samples_clear",
         "Do you wish to clear all Samples records",
         {schema::Samples, schema::Samples_old, schema::Samples_historical}},
        {"cmd_calibration_recs_clear",
         "Do you wish to clear all Calibration records",
         {schema::Calibration_data}},
    };
    return commands;
}

// On a connection of its own, one table after another, each delete its own write: what
// was emptied before a failure stays emptied.
void clearTables(const QWidget* button, const ClearCommand& command) {
    if (services().prompter->ask(
            destructiveQuestion(QLatin1String(command.question), kProgramTitle)) != Answer::Yes)
        return;
    const Trap trap(handlerErrorName(button, "Click"));
    sql::Database db;
    if (!trap.run([&] { db = openSecondConnection(); }))
        return;
    for (const QString& table : command.tables)
        trap.run([&] {
            store::change(db, [&](store::Changes& changes) { changes.emptyTable(table); });
        });
}

// The date field shows the minute written, and an edit of it still pending is superseded;
// its hours-since field is empty until the next load counts it again.
void stampNow(ScreenState& state, const QWidget* button, const Setting& dateField) {
    const QScopedValueRollback loading(state.loading, true);
    const QDateTime now = services().clock->now();
    if (!Trap(handlerErrorName(button, "Click")).run([&] {
            writeKey(dateField.key, Value::date(now));
        }))
        return;
    state.control<QLineEdit>(dateField.name)->setText(conv::formatDate(now));
    state.changed.clear(dateField.name);
    state.showStatus(QString());
    if (!dateField.edit.partner.isEmpty())
        state.control<QLineEdit>(dateField.edit.partner)->clear();
}

} // namespace

void connectCommands(ScreenState& state, QObject* context) {
    for (const ClearCommand& command : clearCommands()) {
        auto* button = state.control<QPushButton>(QLatin1String(command.button));
        QObject::connect(button, &QPushButton::clicked, context,
                         [button, &command] { clearTables(button, command); });
    }
    for (const Setting& s : settings()) {
        if (s.kind != Kind::Button || s.edit.partner.isEmpty())
            continue;
        auto* button = state.control<QPushButton>(s.name);
        const Setting& dateField = setting(s.edit.partner);
        QObject::connect(button, &QPushButton::clicked, context,
                         [&state, button, &dateField] { stampNow(state, button, dateField); });
    }
}

} // namespace kr7::config
