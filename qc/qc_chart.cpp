#include "qc_chart.h"

#include "conversions.h"

#include <QCategoryAxis>
#include <QGraphicsPathItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSet>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace kr7::qc {

namespace {

const QColor kRunLine{80, 100, 135};
const QColor kMean{0, 110, 0};
const QColor kOneSd{140, 140, 140};
const QColor kTwoSd{225, 135, 0};
const QColor kThreeSd{200, 0, 0};
const QColor kLimit{120, 0, 160};
const QColor kWarningAmber{255, 176, 0};
const QColor kRejectionRed{220, 0, 0};

// Date labels along the bottom: enough to place a run in time, few enough not to collide.
constexpr int kTimeLabels = 8;

QPen linePen(const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}

// Smaller points as they crowd, so that a year of runs is a band rather than a blot.
qreal markerSizeFor(std::size_t runs) {
    if (runs <= 100)
        return 7;
    return runs <= 1000 ? 5 : 3;
}

// A limit's path in chart values: a level stretch across each run that has the limit, a
// step where it changes, and a gap where a run has none.
void addLimitPath(QPainterPath& path, std::span<const Run> runs,
                  std::optional<double> Run::*limit) {
    std::optional<double> current;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::optional<double>& here = runs[i].*limit;
        const double edge = double(i) - 0.5;
        if (current && here != current)
            path.lineTo(edge, *current);
        if (here && !current)
            path.moveTo(edge, *here);
        else if (here && *here != *current)
            path.lineTo(edge, *here);
        current = here;
    }
    if (current)
        path.lineTo(double(runs.size()) - 0.5, *current);
}

} // namespace

const QString LeveyJenningsChart::kRuns = QStringLiteral("Runs");
const QString LeveyJenningsChart::kWarnings = QStringLiteral("Warning (1-2s)");
const QString LeveyJenningsChart::kRejections = QStringLiteral("Rejection");

LeveyJenningsChart::LeveyJenningsChart()
    : time_(new QCategoryAxis), values_(new QValueAxis), limits_(new QGraphicsPathItem(this)) {
    setBackgroundRoundness(0);
    legend()->setAlignment(Qt::AlignBottom);
    addAxis(time_, Qt::AlignBottom);
    addAxis(values_, Qt::AlignLeft);
    time_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    time_->setTitleText(QStringLiteral("Runs in time order"));
    values_->setLabelFormat(QStringLiteral("%.3f"));
    values_->setTickCount(7);
    limits_->setPen(linePen(kLimit, 1.5, Qt::DashLine));
    limits_->setZValue(1);
    connect(this, &QChart::plotAreaChanged, this, [this] { placeLimits(); });
}

void LeveyJenningsChart::plot(const ChartInput& input) {
    removeAllSeries();
    runs_ = nullptr;
    runCount_ = int(input.runs.size());
    setTitle(input.title);
    values_->setTitleText(input.valueTitle);
    setTimeAxis(input.runs);
    if (input.baseline.count > 0)
        addLine(input.baseline.mean, QStringLiteral("Mean"), linePen(kMean, 2), true);
    if (input.baseline.sd > 0)
        addSdLines(input.baseline);
    addLimits(input.runs);
    addPoints(input);
    setValueRange(input);
    placeLimits();
}

void LeveyJenningsChart::attach(QAbstractSeries* series) {
    addSeries(series);
    series->attachAxis(time_);
    series->attachAxis(values_);
}

void LeveyJenningsChart::addLine(double y, const QString& name, const QPen& pen, bool inLegend) {
    auto* line = new QLineSeries;
    line->setName(name);
    line->setPen(pen);
    line->append(-0.5, y);
    line->append(std::max(runCount_, 1) - 0.5, y);
    attach(line);
    if (!inLegend)
        legend()->markers(line).constFirst()->setVisible(false);
}

void LeveyJenningsChart::addSdLines(const Baseline& baseline) {
    const struct {
        int sds;
        QPen pen;
    } lines[] = {{1, linePen(kOneSd, 1, Qt::DotLine)},
                 {2, linePen(kTwoSd, 1.5)},
                 {3, linePen(kThreeSd, 1.5)}};
    for (const auto& [sds, pen] : lines)
        for (const int side : {1, -1})
            addLine(baseline.mean + side * sds * baseline.sd,
                    QStringLiteral("\u00B1%1 SD").arg(sds), pen, side > 0);
}

void LeveyJenningsChart::addLimits(std::span<const Run> runs) {
    limitPath_ = QPainterPath();
    addLimitPath(limitPath_, runs, &Run::low);
    addLimitPath(limitPath_, runs, &Run::high);
    if (limitPath_.isEmpty())
        return;
    // The path is drawn over the plot; this empty series only gives it a legend entry.
    auto* key = new QLineSeries;
    key->setName(QStringLiteral("Acceptance limits"));
    key->setPen(limits_->pen());
    attach(key);
}

void LeveyJenningsChart::addPoints(const ChartInput& input) {
    runs_ = new QLineSeries;
    runs_->setName(kRuns);
    runs_->setPen(linePen(kRunLine, 1));
    runs_->setPointsVisible(true);
    runs_->setMarkerSize(markerSizeFor(input.runs.size()));
    QList<QPointF> points, warnings, rejections;
    points.reserve(qsizetype(input.runs.size()));
    for (std::size_t i = 0; i < input.runs.size(); ++i) {
        const QPointF point(double(i), input.runs[i].value);
        points << point;
        if (input.flags[i].rejects())
            rejections << point;
        else if (input.flags[i].any())
            warnings << point;
    }
    runs_->replace(points);
    attach(runs_);
    const auto hovered = [this](const QPointF& point, bool on) {
        if (runCount_ > 0)
            emit runHovered(std::clamp(int(std::lround(point.x())), 0, runCount_ - 1), on);
    };
    connect(runs_, &QXYSeries::hovered, this, hovered);
    const struct {
        const QString& name;
        const QColor& colour;
        const QList<QPointF>& points;
    } flagged[] = {{kWarnings, kWarningAmber, warnings}, {kRejections, kRejectionRed, rejections}};
    for (const auto& [name, colour, at] : flagged) {
        if (at.isEmpty())
            continue;
        auto* series = new QScatterSeries;
        series->setName(name);
        series->setColor(colour);
        series->setBorderColor(colour.darker(160));
        series->setMarkerSize(11);
        series->replace(at);
        attach(series);
        connect(series, &QXYSeries::hovered, this, hovered);
    }
}

void LeveyJenningsChart::setTimeAxis(std::span<const Run> runs) {
    for (const QString& label : time_->categoriesLabels())
        time_->remove(label);
    time_->setStartValue(-0.5);
    time_->setRange(-0.5, std::max(runCount_, 1) - 0.5);
    const std::size_t step =
        std::max<std::size_t>(1, (runs.size() + kTimeLabels - 1) / kTimeLabels);
    QSet<QString> used;
    for (std::size_t i = 0; i < runs.size(); i += step) {
        const QString day = runs[i].tested.toString(QStringLiteral("dd/MM/yy"));
        if (day.isEmpty() || used.contains(day))
            continue;
        used.insert(day);
        time_->append(day, double(i));
    }
}

void LeveyJenningsChart::setValueRange(const ChartInput& input) {
    std::vector<double> shown;
    for (const Run& r : input.runs) {
        shown.push_back(r.value);
        for (const auto& limit : {r.low, r.high})
            if (limit)
                shown.push_back(*limit);
    }
    const Baseline& b = input.baseline;
    if (b.count > 0) {
        shown.push_back(b.mean - 3.5 * b.sd);
        shown.push_back(b.mean + 3.5 * b.sd);
    }
    if (shown.empty())
        return;
    const auto [low, high] = std::minmax_element(shown.begin(), shown.end());
    const double span = *high - *low;
    const double pad = span > 1e-9 ? span * 0.05 : std::max(std::abs(*high) * 0.05, 0.01);
    values_->setRange(*low - pad, *high + pad);
    values_->applyNiceNumbers();
}

// The limits follow the plot whenever it moves or is resized.
void LeveyJenningsChart::placeLimits() {
    if (!runs_ || limitPath_.isEmpty()) {
        limits_->setPath({});
        return;
    }
    const QPointF origin = mapToPosition({0, 0}, runs_);
    const QPointF across = mapToPosition({1, 0}, runs_) - origin;
    const QPointF up = mapToPosition({0, 1}, runs_) - origin;
    limits_->setPath(QTransform(across.x(), 0, 0, up.y(), origin.x(), origin.y()).map(limitPath_));
}

} // namespace kr7::qc
