#pragma once

#include "qc_report.h"
#include "qc_rules.h"
#include "qc_runs.h"

#include <QWidget>

class QCheckBox;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace kr7 {

namespace qc {
class FlaggedRunsModel;
class LeveyJenningsChart;
} // namespace qc

// Quality control: the calibrant runs of one level on a Levey-Jennings chart, judged by the
// Westgard rules against a baseline, with the runs that break a rule listed under the chart.
// It reads the results tables and writes nothing to them.
class frm_qc_charts : public QWidget {
    Q_OBJECT
  public:
    // A Qt::Window child of `owner`, deleted when it closes.
    explicit frm_qc_charts(QWidget* owner);
    ~frm_qc_charts() override;

    void Form_Load();

    // The chart and its table into the install folder; the file names say site, level,
    // result, instrument (when one is chosen) and period, as the CSV export names its file.
    void savePdf();
    void savePng();
    // A print preview, from which the user prints.
    void printChart();
    QString outputPath(const QString& extension) const;

  private:
    QWidget* buildChoices();
    QWidget* buildOutputButtons();
    void connectChoices();
    void setDefaultPeriod();
    void refresh();
    qc::RunFilter filter(QDate from, QDate to) const;
    void fillInstruments(const QStringList& found);
    void fillSources();
    qc::RunSet readRuns(const qc::RunFilter& filter);
    void showAnalysis();
    QStringList notes() const;
    QString summary() const;
    QStringList cellsOf(std::size_t run) const;
    QString levelName() const;
    QString siteName() const;
    qc::Report report() const;
    void showToolTip(int run, bool on);
    void saveTo(const QString& extension, const std::function<void(QIODevice&)>& write);

    QComboBox* level_;
    QComboBox* result_;
    QDateEdit* from_;
    QDateEdit* to_;
    QComboBox* instrument_;
    // Where the runs come from when a central database is configured: this instrument's file
    // (no data), one synced instrument (its number) or all of them (-1).
    QComboBox* source_;
    QString centralUrl_;
    QCheckBox* ownBaseline_;
    QDateEdit* baselineFrom_;
    QDateEdit* baselineTo_;
    QLabel* notes_;
    QLabel* summary_;
    QLabel* saved_;
    qc::LeveyJenningsChart* chart_;
    QChartView* view_;
    QTableView* table_;
    qc::FlaggedRunsModel* flagged_;
    std::vector<QPushButton*> outputButtons_;
    qc::RunSet runs_;
    qc::Analysis analysis_;
    QDate shownFrom_, shownTo_;
};

// Makes the quality control screen for the configuration screen, runs its load and shows it.
QWidget* openQcCharts(QWidget* owner);

} // namespace kr7
