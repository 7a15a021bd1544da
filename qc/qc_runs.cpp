#include "qc_runs.h"

#include "central_results.h"
#include "conversions.h"
#include "sqlite_db.h"

#include <algorithm>
#include <cmath>

namespace kr7::qc {

namespace {

// Both results tables, the older by its named columns, the current by its field codes; a
// run that stands in both is read once. The date columns' indexes find the period.
const QString kRunsQuery = QStringLiteral(
    "SELECT DATE_TESTED, BARCODE, RUNTIME_STEPS, PV1_NUMBER, PV2_NUMBER, PV_LOW, PV_HIGH, PIC_ID "
    "FROM T_Samples_old WHERE REC_TYPE = ?1 AND DATE_TESTED >= ?2 AND DATE_TESTED < ?3 "
    "UNION "
    "SELECT SA_04, SA_02, SA_24, SA_11, SA_12, SA_21, SA_22, SA_19 "
    "FROM T_Samples WHERE SA_08 = ?1 AND SA_04 >= ?2 AND SA_04 < ?3 "
    "ORDER BY 1");

enum Field { Tested, Barcode, Runtime, FirstResult, SecondResult, Low, High, Instrument };

// A number, or a text that is one as a whole; anything else (a null, "n/a", "1.2x", an
// infinity) is no result.
std::optional<double> numberIn(const Value& v) {
    double x = 0;
    if (v.isNumber())
        x = v.toNumber();
    else if (v.kind() == Value::Kind::Text && conv::isNumeric(v.asText()))
        x = conv::leadingNumber(v.asText());
    else
        return std::nullopt;
    return std::isfinite(x) ? std::optional(x) : std::nullopt;
}

// A run time of 0 means the run never ran, whatever result it carries; an unknown run time
// does not, as the results browser reads it.
bool ran(const Value& runtime) {
    if (runtime.isNull())
        return true;
    return (runtime.kind() == Value::Kind::Text ? conv::leadingNumber(runtime.asText())
                                                : runtime.toNumber()) != 0;
}

// A cell as a value, whichever database the row comes from.
Value cell(const RowCursor& row, int index) {
    switch (row.columnKind(index)) {
    case Value::Kind::Null:
        return Value::null();
    case Value::Kind::Whole:
        return Value::whole(row.columnWhole(index));
    case Value::Kind::Floating:
        return Value::floating(row.columnFloating(index));
    default: {
        const std::string_view text = row.columnUtf8(index);
        return Value::text(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    }
}

// The runs of rows in the columns of Field, oldest first.
RunSet readRuns(RowCursor& query, const RunFilter& filter) {
    const int resultField = filter.result == Result::First ? FirstResult : SecondResult;
    RunSet set;
    while (query.step()) {
        const QString instrument = cell(query, Instrument).toText();
        if (!instrument.isEmpty() && !set.instruments.contains(instrument))
            set.instruments << instrument;
        if (!filter.instrument.isEmpty() && instrument != filter.instrument)
            continue;
        const std::optional<double> value = numberIn(cell(query, resultField));
        if (!value || !ran(cell(query, Runtime))) {
            ++set.withoutResult;
            continue;
        }
        Run run{conv::readDate(cell(query, Tested).toText()).value_or(QDateTime()),
                cell(query, Barcode).toText(), *value};
        // The limits are the first result's: the results browser judges both result cells
        // of a row by the first result against them.
        if (filter.result == Result::First) {
            run.low = numberIn(cell(query, Low));
            run.high = numberIn(cell(query, High));
        }
        set.runs.push_back(std::move(run));
    }
    // Instrument numbers in number order: 99 before 101.
    std::sort(set.instruments.begin(), set.instruments.end(),
              [](const QString& a, const QString& b) {
                  return a.size() != b.size() ? a.size() < b.size() : a < b;
              });
    return set;
}

QString periodBound(QDate day) {
    return conv::storedDateText(conv::naiveDateTime(day, QTime(0, 0)));
}

} // namespace

std::span<const Level> levels() {
    static const std::vector<Level> all = {
        {2, QStringLiteral("CHECK")}, {3, QStringLiteral("LOW")}, {4, QStringLiteral("HIGH")}};
    return all;
}

std::vector<double> RunSet::values() const {
    std::vector<double> v;
    v.reserve(runs.size());
    for (const Run& r : runs)
        v.push_back(r.value);
    return v;
}

RunSet readRuns(sql::Database& db, const RunFilter& filter) {
    auto query = db.prepare(kRunsQuery);
    query.bindAll({Value::whole(filter.recordType), Value::text(periodBound(filter.from)),
                   Value::text(periodBound(filter.to.addDays(1)))});
    return readRuns(query, filter);
}

RunSet readCentralRuns(const QString& url, std::optional<int> instrument, const RunFilter& filter) {
    const auto query = central::openRuns(url, filter.recordType, periodBound(filter.from),
                                         periodBound(filter.to.addDays(1)), instrument);
    return readRuns(*query, filter);
}

std::optional<QDate> lastRunDay(sql::Database& db, int recordType) {
    auto query = db.prepare(
        QStringLiteral("SELECT max(d) FROM ("
                       "SELECT (SELECT DATE_TESTED FROM T_Samples_old WHERE REC_TYPE = ?1 "
                       "ORDER BY DATE_TESTED DESC LIMIT 1) AS d "
                       "UNION ALL SELECT (SELECT SA_04 FROM T_Samples WHERE SA_08 = ?1 "
                       "ORDER BY SA_04 DESC LIMIT 1))"));
    query.bind(1, Value::whole(recordType));
    if (!query.step() || query.columnIsNull(0))
        return std::nullopt;
    const auto newest = conv::readDate(query.columnText(0));
    return newest ? std::optional(newest->date()) : std::nullopt;
}

const QString& runsQuery() {
    return kRunsQuery;
}

} // namespace kr7::qc
