// The quality control chart on the install folder's database (KR7_HOME), CHECK level, PV25:
// the chart's data query and rule pass over the year up to the newest run, the screen's
// opening on its default period, and its redraw when the period becomes that year.
// bench/qc_bench.sh makes the database and the sqlite3 shell's baseline and runs this.
//
//   qc_bench                   the measurements, one "name value" line each
//   qc_bench --query           the same query as a sqlite3 shell script, for the baseline
//   qc_bench --screenshot PNG  the screen as it opens, into a picture

#include "bench_support.h"
#include "database.h"
#include "frm_qc_charts.h"
#include "guarded_application.h"
#include "qc_rules.h"
#include "qc_runs.h"

#include <QChartView>
#include <QDateEdit>
#include <QTextStream>

using namespace kr7;
using bench::seconds;

namespace {

constexpr int kCheck = 2;

qc::RunFilter yearOfCheckRuns() {
    const QDate last = qc::lastRunDay(Get_connection(), kCheck).value_or(QDate::currentDate());
    return {kCheck, qc::Result::First, last.addYears(-1).addDays(1), last, QString()};
}

QString shellScript(const qc::RunFilter& year) {
    const auto day = [](QDate d) { return d.toString(QStringLiteral("yyyy-MM-dd 00:00:00")); };
    return QStringLiteral(".parameter init\n.parameter set ?1 %1\n.parameter set ?2 \"'%2'\"\n"
                          ".parameter set ?3 \"'%3'\"\n%4;\n")
        .arg(year.recordType)
        .arg(day(year.from), day(year.to.addDays(1)), qc::runsQuery());
}

QWidget* openScreen() {
    QWidget* screen = openQcCharts(nullptr);
    screen->findChild<QChartView*>()->viewport()->grab();
    return screen;
}

} // namespace

int main(int argc, char** argv) {
    const bench::BenchProgram program(argc, argv);
    const QByteArray& mode = program.mode;
    const qc::RunFilter year = yearOfCheckRuns();
    QTextStream out(stdout);
    if (mode == "--query") {
        out << shellScript(year);
        return 0;
    }
    if (mode == "--screenshot" && argc > 2) {
        std::unique_ptr<QWidget> screen(openScreen());
        return screen->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }

    qc::RunSet runs;
    const double query = seconds([&] { runs = qc::readRuns(Get_connection(), year); });
    const std::vector<double> values = runs.values();
    const double rules = seconds([&] { qc::analyse(values, values); });
    QWidget* screen = nullptr;
    const double open = seconds([&] { screen = openScreen(); });
    const double redraw = seconds([&] {
        screen->findChild<QDateEdit*>(QStringLiteral("dtp_from"))->setDate(year.from);
        screen->findChild<QChartView*>()->viewport()->grab();
    });
    out << "runs " << runs.runs.size() << Qt::endl;
    out << "query " << query << Qt::endl;
    out << "rules " << rules << Qt::endl;
    out << "open " << open << Qt::endl;
    out << "redraw_year " << redraw << Qt::endl;
    delete screen;
    return 0;
}
