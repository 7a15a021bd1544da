#include "results_reader.h"

#include "errors.h"

namespace kr7 {

namespace {

const QString kOldTable =
    QStringLiteral("SELECT PATIENT_NAME, BARCODE, PV1_STRING, PV2_STRING, RUNTIME_STEPS as "
                   "RUNTIME, SYSTEM_NOTES, USER_NOTES, DATE_TESTED, LIMS_STR, TESTED_INITIALS, "
                   "TESTED_NAME, REC_TYPE, PV_LOW, PV_HIGH, PV1_NUMBER, PV2_NUMBER, PIC_ID, "
                   "LIMS_NUM From T_Samples_old");
const QString kCurrentTable =
    QStringLiteral("SELECT SA_17 as PATIENT_NAME, SA_02 as BARCODE, SA_06 as PV1_STRING, SA_18 as "
                   "PV2_STRING, SA_24 as RUNTIME, SA_15 as SYSTEM_NOTES, SA_03 as USER_NOTES, "
                   "SA_04 as DATE_TESTED, SA_23 as LIMS_STR, SA_31 as TESTED_INITIALS, SA_30 as "
                   "TESTED_NAME, SA_08 as REC_TYPE, SA_21 as PV_LOW, SA_22 as PV_HIGH, SA_11 as "
                   "PV1_NUMBER, SA_12 as PV2_NUMBER, SA_19 as PIC_ID, SA_09 as LIMS_NUM FROM "
                   "T_Samples");
const QString kResultsQuery = kOldTable + QStringLiteral(" UNION ") + kCurrentTable +
                              QStringLiteral(" ORDER BY DATE_TESTED DESC");

// The query's order: UNION sorts the rows it compares by every field, after the date, and
// each table is read in that order, the date from its index and the rest within each date.
const QString kOrder = QStringLiteral(
    " ORDER BY DATE_TESTED DESC, PATIENT_NAME, BARCODE, PV1_STRING, PV2_STRING, RUNTIME, "
    "SYSTEM_NOTES, USER_NOTES, LIMS_STR, TESTED_INITIALS, TESTED_NAME, REC_TYPE, PV_LOW, "
    "PV_HIGH, PV1_NUMBER, PV2_NUMBER, PIC_ID, LIMS_NUM");
constexpr int kDateField = 7;

// SQLite's order of values: null, then numbers by value, then texts byte by byte.
int rankOf(Value::Kind kind) {
    switch (kind) {
    case Value::Kind::Null:
        return 0;
    case Value::Kind::Whole:
    case Value::Kind::Floating:
        return 1;
    default:
        return 2;
    }
}

int compareCells(const RowCursor& a, const RowCursor& b, int field) {
    const Value::Kind kindA = a.columnKind(field);
    const Value::Kind kindB = b.columnKind(field);
    if (const int rank = rankOf(kindA) - rankOf(kindB); rank != 0 || rankOf(kindA) == 0)
        return rank;
    if (kindA == Value::Kind::Text)
        return a.columnUtf8(field).compare(b.columnUtf8(field));
    if (kindA == Value::Kind::Whole && kindB == Value::Kind::Whole) {
        const std::int64_t x = a.columnWhole(field);
        const std::int64_t y = b.columnWhole(field);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const double x = a.columnFloating(field);
    const double y = b.columnFloating(field);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Below zero when row `a` comes before row `b` in the query's order.
int compareRows(const RowCursor& a, const RowCursor& b) {
    if (const int date = compareCells(a, b, kDateField); date != 0)
        return -date;
    for (int field = 0; field < a.columnCount(); ++field)
        if (const int order = compareCells(a, b, field); order != 0)
            return order;
    return 0;
}

} // namespace

const QString& resultsQuery() {
    return kResultsQuery;
}

MergedResults::MergedResults(const QString& databaseFile)
    : db_(sql::Database::open(databaseFile, sql::Database::Mode::OneThread)) {
    db_.exec(QStringLiteral("BEGIN"));
    for (const QString& table : {kOldTable, kCurrentTable})
        tables_.push_back({db_.prepare(table + kOrder)});
}

// The statements end before the transaction, which only read.
MergedResults::~MergedResults() {
    tables_.clear();
    try {
        db_.exec(QStringLiteral("COMMIT"));
    } catch (const Error&) {
    }
}

bool MergedResults::step() {
    do {
        if (!started_) {
            for (Table& table : tables_)
                table.hasRow = table.rows.step();
            started_ = true;
        } else {
            tables_[current_].hasRow = tables_[current_].rows.step();
        }
        if (!pickNext())
            return false;
    } while (!isNewRow());
    return true;
}

bool MergedResults::pickNext() {
    const bool first = tables_[0].hasRow;
    const bool second = tables_[1].hasRow;
    if (!first && !second)
        return false;
    current_ = !first || (second && compareRows(tables_[1].rows, tables_[0].rows) < 0) ? 1 : 0;
    return true;
}

// Equal rows come one after the other in the query's order.
bool MergedResults::isNewRow() {
    key_.clear();
    for (int field = 0; field < current().columnCount(); ++field)
        appendUnionKey(key_, current(), field);
    if (key_ == previous_)
        return false;
    std::swap(key_, previous_);
    return true;
}

} // namespace kr7
