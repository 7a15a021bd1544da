// The quality control screen on a small database: the points it draws, the runs it flags, its
// messages for awkward data, and the PDF it saves.

#include "frm_qc_charts.h"
#include "qc_chart.h"
#include "results_test_support.h"

#include <QChartView>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QXYSeries>

using namespace kr7;
using test::Result;

namespace {

// A CHECK run of the small database: the n-th, twelve hours after the one before.
Result checkRun(int n, double pv1, const QString& barcode = {}) {
    Result r;
    r.type = 2;
    r.barcode = barcode.isEmpty() ? QStringLiteral("C%1").arg(n) : barcode;
    r.pv1 = Value::floating(pv1);
    r.tested = conv::storedDateText(test::at(2026, 2, 10).addSecs(n * 12 * 3600));
    return r;
}

// Runs at 1.70 and 1.74 in turn.
std::vector<Result> steadyRuns(int count) {
    std::vector<Result> runs;
    for (int n = 0; n < count; ++n)
        runs.push_back(checkRun(n, n % 2 == 0 ? 1.70 : 1.74));
    return runs;
}

} // namespace

class TestQcScreen : public test::ScreenTest {
    Q_OBJECT

    frm_qc_charts* screen = nullptr;

    void open(const std::vector<Result>& results) {
        test::putResults(*fx, results);
        screen = static_cast<frm_qc_charts*>(openQcCharts(nullptr));
        QTRY_COMPARE(QApplication::activeWindow(), screen);
    }

    QString label(const char* name) const {
        return screen->findChild<QLabel*>(QLatin1String(name))->text();
    }

    QChartView* view() const { return screen->findChild<QChartView*>(QStringLiteral("chart_qc")); }

    // The x of each point of the chart's series of that name: the run's place in time.
    QList<double> pointsOf(const QString& name) const {
        QList<double> xs;
        for (QAbstractSeries* series : view()->chart()->series())
            if (series->name() == name)
                for (const QPointF& p : static_cast<QXYSeries*>(series)->points())
                    xs << p.x();
        return xs;
    }

    QStringList tableColumn(int column) const {
        const QAbstractItemModel* model =
            screen->findChild<QTableView*>(QStringLiteral("grid_flagged"))->model();
        QStringList cells;
        for (int row = 0; row < model->rowCount(); ++row)
            cells << model->index(row, column).data().toString();
        return cells;
    }

  private slots:
    // 42 runs of both results tables, one in both, two without a result, one LOW run and one
    // CHECK run before the last 31 days. Run 10 lies 4.8 SD out, run 30 2.3 SD.
    void chartsFlagsAndSavesTheRunsOfTheLevel() {
        std::vector<Result> runs = steadyRuns(42);
        runs[10] = checkRun(10, 1.90, QStringLiteral("OUT"));
        runs[30] = checkRun(30, 1.81, QStringLiteral("WARN"));
        for (const int n : {0, 41})
            runs[std::size_t(n)].table = QStringLiteral("T_Samples_old");
        runs.push_back(runs[20]);
        runs.back().table = QStringLiteral("T_Samples_old");
        runs.push_back(checkRun(5, 1.72, QStringLiteral("NORUN")));
        runs.back().runtime = Value::whole(0);
        runs.push_back(checkRun(6, 0, QStringLiteral("TEXT")));
        runs.back().pv1 = Value::text(QStringLiteral("n/a"));
        runs.push_back(checkRun(7, 1.30, QStringLiteral("LOW")));
        runs.back().type = 3;
        runs.push_back(checkRun(-120, 1.72, QStringLiteral("BEFORE")));
        open(runs);

        QCOMPARE(pointsOf(qc::LeveyJenningsChart::kRuns).size(), 42);
        QCOMPARE(pointsOf(qc::LeveyJenningsChart::kRejections), QList<double>{10});
        QCOMPARE(pointsOf(qc::LeveyJenningsChart::kWarnings), QList<double>{30});
        QCOMPARE(tableColumn(1), (QStringList{"OUT", "WARN"}));
        QCOMPARE(tableColumn(4), (QStringList{"1-2s, 1-3s", "1-2s"}));
        QCOMPARE(label("lbl_notes"), QStringLiteral("2 runs without a result not shown"));
        QVERIFY(label("lbl_summary").startsWith(QStringLiteral("n 42")));

        screen->savePdf();
        const QString path = screen->outputPath(QStringLiteral("pdf"));
        QCOMPARE(path, fx->folder() + QStringLiteral("qc_CHECK_PV25_310126_020326.pdf"));
        const QString text = test::pdfText(path).simplified();
        for (const char* expected :
             {"CHECK PV25 from 31/01/26 to 02/03/26, all instruments", "n 42",
              "Date Barcode Value z Rules", "OUT 1.900 +4.75 1-2s, 1-3s", "WARN 1.810 +2.27 1-2s"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);

        // No printer on this machine: the preview still comes up, and nothing breaks.
        screen->findChild<QPushButton*>(QStringLiteral("cmd_print"))->click();
        auto* preview = screen->findChild<QPrintPreviewDialog*>();
        QVERIFY(preview);
        QTRY_VERIFY(preview->isVisible());
        preview->close();
    }

    void saysWhyItDrawsOrJudgesNothing_data() {
        QTest::addColumn<std::vector<Result>>("runs");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<bool>("chart");
        QTest::addColumn<bool>("limits");
        std::vector<Result> equal;
        for (int n = 0; n < 20; ++n) {
            equal.push_back(checkRun(n, 1.72));
            equal.back().low = equal.back().high = Value::null();
        }
        QTest::newRow("no runs") << std::vector<Result>{}
                                 << "No CHECK runs between 03/02/26 and 05/03/26" << false << false;
        QTest::newRow("baseline too small")
            << steadyRuns(19) << "Baseline has 19 runs; at least 20 are needed for the rules"
            << true << true;
        QTest::newRow("SD 0, no limits") << equal << "SD is 0: no rules" << true << false;
    }

    void saysWhyItDrawsOrJudgesNothing() {
        QFETCH(std::vector<Result>, runs);
        QFETCH(QString, notes);
        QFETCH(bool, chart);
        QFETCH(bool, limits);
        open(runs);
        QCOMPARE(label("lbl_notes"), notes);
        QCOMPARE(view()->isVisible(), chart);
        QCOMPARE(pointsOf(qc::LeveyJenningsChart::kRuns).size(), qsizetype(runs.size()));
        QVERIFY(pointsOf(qc::LeveyJenningsChart::kWarnings).isEmpty());
        QVERIFY(pointsOf(qc::LeveyJenningsChart::kRejections).isEmpty());
        const QStringList series = [&] {
            QStringList names;
            for (QAbstractSeries* s : view()->chart()->series())
                names << s->name();
            return names;
        }();
        QCOMPARE(series.contains(QStringLiteral("Acceptance limits")), limits);
    }
};

KR7_TEST_MAIN(TestQcScreen)
#include "test_qc_screen.moc"
