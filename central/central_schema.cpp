#include "central_schema.h"

#include "pg.h"
#include "result_columns.h"

#include <QStringList>

namespace kr7::central {

namespace {

QString centralType(schema::FieldType type) {
    switch (type) {
    case schema::FieldType::Whole:
        return QStringLiteral("bigint");
    case schema::FieldType::Floating:
        return QStringLiteral("double precision");
    case schema::FieldType::Date:
        return QStringLiteral("timestamp(0)");
    default:
        return QStringLiteral("text");
    }
}

QString resultsTable() {
    QStringList columns = {QStringLiteral("instrument integer NOT NULL"),
                           QStringLiteral("result_key bytea NOT NULL")};
    for (const ResultColumn& c : resultColumns())
        columns << centralName(c) + u' ' + centralType(c.type);
    // The result's identity is the key; its date leads, so that a sync's rows, which come in
    // date order, go to the end of the index instead of all over it (a third of the time of
    // a first sync), and the one index serves an instrument's results newest first. The date
    // is one of the hashed columns, so it adds nothing to what counts as the same result.
    columns << QStringLiteral("CONSTRAINT results_identity UNIQUE NULLS NOT DISTINCT "
                              "(instrument, date_tested, result_key)");
    return QStringLiteral("CREATE TABLE IF NOT EXISTS results (%1)").arg(columns.join(u", "));
}

} // namespace

void createSchema(pg::Connection& central) {
    // Two instruments running it at once must not both create: the lock holds the second
    // until the first has committed.
    pg::Transaction transaction(central);
    central.exec(QStringLiteral("SELECT pg_advisory_xact_lock(7019)"));
    central.exec(resultsTable());
    // Finding a barcode or a patient across instruments, and each instrument's results (or
    // all of them) newest first.
    for (const char* columns :
         {"barcode", "patient_name", "date_tested", "instrument, date_tested"})
        central.exec(
            QStringLiteral("CREATE INDEX IF NOT EXISTS results_%1 ON results (%2)")
                .arg(QString::fromLatin1(columns).section(u',', 0, 0), QLatin1String(columns)));
    central.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS instruments ("
                                "number integer PRIMARY KEY, site_name text, "
                                "last_sync timestamptz, rows_sent bigint NOT NULL DEFAULT 0)"));
    // The newest DATE_TESTED sent from each local results table, as the local file stores it.
    central.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS sync_marks ("
                                "instrument integer NOT NULL, local_table text NOT NULL, "
                                "newest_sent text, PRIMARY KEY (instrument, local_table))"));
    transaction.commit();
}

} // namespace kr7::central
