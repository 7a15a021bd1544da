#pragma once

#include "qc_rules.h"
#include "qc_runs.h"

#include <QChart>
#include <span>

class QCategoryAxis;
class QGraphicsPathItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace kr7::qc {

struct ChartInput {
    std::span<const Run> runs;
    std::span<const Flags> flags; // one per run
    Baseline baseline;            // no mean line without runs, no SD lines without an SD
    QString title;
    QString valueTitle;
};

// The Levey-Jennings chart: one point per run, evenly spaced in time order (a busy day
// stays readable), under the baseline's mean and its 1, 2 and 3 SD lines, with the runs'
// own acceptance limits dashed where they have them. Points that break a rule stand out in
// amber (warning) or red (rejection).
class LeveyJenningsChart : public QChart {
    Q_OBJECT
  public:
    LeveyJenningsChart();

    void plot(const ChartInput& input);

    // The series of the runs, the warnings and the rejections, by these names.
    static const QString kRuns;
    static const QString kWarnings;
    static const QString kRejections;

  signals:
    // The mouse is over the run of that number (its index in the input), or has left it.
    void runHovered(int run, bool on);

  private:
    void addLine(double y, const QString& name, const QPen& pen, bool inLegend);
    void addSdLines(const Baseline& baseline);
    void addPoints(const ChartInput& input);
    void addLimits(std::span<const Run> runs);
    void setTimeAxis(std::span<const Run> runs);
    void setValueRange(const ChartInput& input);
    void placeLimits();
    void attach(QAbstractSeries* series);

    QCategoryAxis* time_;
    QValueAxis* values_;
    QLineSeries* runs_ = nullptr;
    QGraphicsPathItem* limits_;
    QPainterPath limitPath_; // in chart values: run number across, result up
    int runCount_ = 0;
};

} // namespace kr7::qc
