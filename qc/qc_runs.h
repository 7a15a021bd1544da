#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

namespace kr7::sql {
class Database;
}
namespace kr7 {
class RowCursor;
}

// The calibrant runs of both results tables, as the quality control chart reads them. It
// reads and never writes.
namespace kr7::qc {

struct Level {
    int recordType;
    QString name;
};
// CHECK, LOW and HIGH, by their record types.
std::span<const Level> levels();

// Which of a run's two results: PV1_NUMBER (the PV25 result) or PV2_NUMBER (PV37).
enum class Result { First, Second };

struct RunFilter {
    int recordType = 2;
    Result result = Result::First;
    QDate from; // whole days, both included
    QDate to;
    QString instrument; // empty for all
};

struct Run {
    QDateTime tested;
    QString barcode;
    double value = 0;
    std::optional<double> low; // the run's own acceptance limits, first result only
    std::optional<double> high;
};

struct RunSet {
    std::vector<Run> runs; // oldest first
    // Runs of the filter left out: run time 0, or a result that is null or not a number.
    int withoutResult = 0;
    // Every instrument with runs of the level in the period, whichever the filter chose.
    QStringList instruments;

    std::vector<double> values() const;
};

RunSet readRuns(sql::Database& db, const RunFilter& filter);

// The same runs from the central results database: one instrument's, or every instrument's
// when none is given.
RunSet readCentralRuns(const QString& url, std::optional<int> instrument, const RunFilter& filter);

// The day of the newest run of that record type; nothing when there is none.
std::optional<QDate> lastRunDay(sql::Database& db, int recordType);

// The query readRuns runs, with its parameters ?1 record type, ?2 first moment, ?3 moment
// after the period (stored date texts): for the benchmark's baseline.
const QString& runsQuery();

} // namespace kr7::qc
