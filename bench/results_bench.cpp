// The results browser on the install folder's database (KR7_HOME): the time from opening it
// until its grid has painted its first screen and until every row is in, each of the two clicks
// that hide and show the patient results again, the CSV file of the first 60,000 rows, a find of
// one barcode over every row, the sorts by barcode and by time, and the process's peak memory
// before the find and at the end. bench/results_bench.sh makes the databases and the baselines and
// runs this.
//
//   results_bench           the measurements, one "name seconds" line each
//   results_bench --query   the browser's query, for the baseline

#include "bench_support.h"
#include "database.h"
#include "grid_samples_all.h"
#include "guarded_application.h"
#include "record_grid_view.h"
#include "results_find.h"
#include "results_reader.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextStream>

using namespace kr7;
using bench::seconds;

namespace {

double peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const auto match = QRegularExpression(QStringLiteral(R"(VmHWM:\s+(\d+) kB)"))
                           .match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--query") {
        std::printf("%s\n", qPrintable(resultsQuery()));
        return 0;
    }
    const bench::BenchProgram program(argc, argv);
    QTextStream out(stdout);

    grid_samples_all* screen = nullptr;
    const double first = seconds([&] {
        screen = static_cast<grid_samples_all*>(openResultsBrowser(nullptr));
        screen->findChild<RecordGridView*>()->viewport()->grab();
    });
    const double fill = first + seconds([&] {
                            while (screen->isReading())
                                QCoreApplication::processEvents();
                        });
    auto* patient = screen->findChild<QCheckBox*>(QStringLiteral("chk_patient"));
    const auto toggle = [&] {
        patient->click();
        screen->findChild<RecordGridView*>()->viewport()->grab();
    };
    const double hide = seconds(toggle);
    const double show = seconds(toggle);
    const double csv = seconds([&] { screen->Export_CSV(); });
    QFile::remove(screen->csvFileName());

    const double peakBeforeFind = peakMemoryMiB();
    RecordGridView* view = screen->findChild<RecordGridView*>();
    RecordGridModel& grid = view->grid();
    const int barcode = grid.columnIndex(u"BARCODE");
    screen->findChild<QLineEdit*>(QStringLiteral("txt_find"))
        ->setText(grid.cellText(grid.gridRowCount() / 2, barcode));
    const double find = seconds([&] {
        screen->findChild<ResultsFindBar*>()->find();
        view->viewport()->grab();
    });
    // Each sort as the heading's click makes it, then its third click back to newest first.
    const auto sortBy = [&](int column) {
        const double time = seconds([&] {
            emit view->horizontalHeader()->sectionClicked(column);
            view->viewport()->grab();
        });
        emit view->horizontalHeader()->sectionClicked(column);
        emit view->horizontalHeader()->sectionClicked(column);
        return time;
    };
    const double sortBarcode = sortBy(barcode);
    const double sortTime = sortBy(grid.columnIndex(u"DATE_TESTED"));

    out << "rows " << screen->findChild<RecordGridView*>()->grid().gridRowCount() << Qt::endl;
    out << "first " << first << Qt::endl;
    out << "fill " << fill << Qt::endl;
    out << "hide " << hide << Qt::endl;
    out << "show " << show << Qt::endl;
    out << "csv " << csv << Qt::endl;
    out << "find " << find << Qt::endl;
    out << "sort_barcode " << sortBarcode << Qt::endl;
    out << "sort_time " << sortTime << Qt::endl;
    out << "peak_before_find_mib " << peakBeforeFind << Qt::endl;
    out << "peak_mib " << peakMemoryMiB() << Qt::endl;
    delete screen;
    return 0;
}
