// Fills the record grid model from a query of a million results and prints the time and the
// memory it took, beside bare sqlite3_step over the same query in the same run.
//
//   grid_fill_bench [rows]        (default 1000000)

#include "conversions.h"
#include "record_grid_model.h"
#include "seed.h"
#include "sqlite_db.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <sqlite3.h>

using namespace kr7;

namespace {

const QString kQuery = QStringLiteral(
    "SELECT SA_17 AS PATIENT_NAME, SA_02 AS BARCODE, SA_06 AS PV1_STRING, SA_18 AS PV2_STRING, "
    "SA_24 AS RUNTIME, SA_15 AS SYSTEM_NOTES, SA_03 AS USER_NOTES, SA_04 AS DATE_TESTED, "
    "SA_23 AS LIMS_STR, SA_31 AS TESTED_INITIALS, SA_30 AS TESTED_NAME, SA_08 AS REC_TYPE, "
    "SA_21 AS PV_LOW, SA_22 AS PV_HIGH, SA_11 AS PV1_NUMBER, SA_12 AS PV2_NUMBER, "
    "SA_19 AS PIC_ID, SA_09 AS LIMS_NUM FROM T_Samples ORDER BY SA_04 DESC");

// A line of the kernel's account of this process ("VmHWM", "VmRSS"), in MiB; -1 where there
// is none (other systems).
double processMemoryMiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const QRegularExpression line(QLatin1String(field) + QStringLiteral(R"(:\s+(\d+) kB)"));
    const auto match = line.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : -1;
}

// Every row and cell of the query with the C API alone: the least any reader can do.
double bareStepSeconds(sql::Database& db, std::int64_t& rows) {
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = kQuery.toUtf8();
    sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &stmt, nullptr);
    std::int64_t bytes = 0;
    rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            bytes +=
                sqlite3_column_type(stmt, c) == SQLITE_TEXT ? sqlite3_column_bytes(stmt, c) : 8;
        ++rows;
    }
    sqlite3_finalize(stmt);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const std::int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    const QDateTime now = conv::naiveDateTime(QDate(2026, 3, 5), QTime(10, 30));
    seed::createDatabase(path, {false, now});
    auto db = sql::Database::open(path);
    QElapsedTimer timer;
    timer.start();
    seed::appendResults(db, rows, 1, now);
    out << "made " << rows << " results in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;

    std::int64_t stepped = 0;
    const double bare = bareStepSeconds(db, stepped);
    const double rssBefore = processMemoryMiB("VmRSS");

    RecordGridModel grid;
    timer.restart();
    grid.fill(db.prepare(kQuery));
    const double fill = timer.nsecsElapsed() / 1e9;
    const double rssAfter = processMemoryMiB("VmRSS");

    timer.restart();
    std::int64_t shownChars = 0;
    for (int row = 0; row < grid.rowCount(); row += 997)
        for (int column = 0; column < grid.columnCount(); ++column)
            shownChars += grid.data(grid.index(row, column)).toString().size();
    const double sample = timer.nsecsElapsed() / 1e9;

    out << "rows " << grid.gridRowCount() << " x columns " << grid.columnCount() << " (bare step "
        << stepped << " rows)" << Qt::endl;
    out << "bare sqlite3_step:  " << bare << " s" << Qt::endl;
    out << "model fill:         " << fill << " s  (" << fill / bare << " x bare)" << Qt::endl;
    out << "display text of every 997th row: " << sample << " s (" << shownChars << " chars)"
        << Qt::endl;
    out << "resident before/after fill: " << rssBefore << " / " << rssAfter << " MiB (model "
        << rssAfter - rssBefore << " MiB, " << (rssAfter - rssBefore) * 1048576 / double(rows)
        << " bytes a row)" << Qt::endl;
    out << "peak resident memory of the process: " << processMemoryMiB("VmHWM") << " MiB"
        << Qt::endl;
    return 0;
}
