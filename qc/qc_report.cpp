#include "qc_report.h"

#include <QGraphicsView>
#include <QPagedPaintDevice>
#include <QPainter>
#include <array>

namespace kr7::qc {

namespace {

// Where each of the table's five columns starts, as a share of the page width.
constexpr std::array<qreal, 5> kColumnStarts = {0, 0.15, 0.38, 0.50, 0.60};
// The chart takes at most this share of the first page's height.
constexpr qreal kChartShare = 0.55;
const QColor kRejectionText{190, 0, 0};
const QColor kWarningText{160, 95, 0};

QFont fontOf(qreal points, bool bold = false) {
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

class PagePainter {
  public:
    // `newPage` starts another page, or says there is none to be had.
    PagePainter(QPainter& painter, const QRectF& page, std::function<bool()> newPage)
        : p_(painter), page_(page), newPage_(std::move(newPage)), y_(page.top()) {}

    void paint(const Report& report) {
        line(report.heading, fontOf(14, true));
        for (const QString& text : report.lines)
            line(text, fontOf(9));
        if (report.chart)
            chart(*report.chart);
        table(report);
    }

  private:
    void line(const QString& text, const QFont& font) {
        p_.setFont(font);
        const qreal height = p_.fontMetrics().lineSpacing();
        p_.drawText(QRectF(page_.left(), y_, page_.width(), height), Qt::AlignLeft, text);
        y_ += height;
    }

    void chart(QGraphicsView& view) {
        const QRect source = view.viewport()->rect();
        if (source.isEmpty())
            return;
        const qreal height = std::min(page_.width() * source.height() / source.width(),
                                      page_.height() * kChartShare);
        y_ += height * 0.02;
        view.render(&p_, QRectF(page_.left(), y_, page_.width(), height), source);
        y_ += height * 1.04;
    }

    void row(const QStringList& cells, const QColor& lastColour) {
        const qreal height = p_.fontMetrics().lineSpacing();
        for (int c = 0; c < cells.size() && c < int(kColumnStarts.size()); ++c) {
            const qreal left = page_.left() + kColumnStarts[std::size_t(c)] * page_.width();
            const qreal right =
                std::size_t(c) + 1 < kColumnStarts.size()
                    ? page_.left() + kColumnStarts[std::size_t(c) + 1] * page_.width()
                    : page_.right();
            if (c == cells.size() - 1 && lastColour.isValid())
                p_.setPen(lastColour);
            p_.drawText(QRectF(left, y_, right - left, height), Qt::AlignLeft,
                        p_.fontMetrics().elidedText(cells[c], Qt::ElideRight, int(right - left)));
            p_.setPen(Qt::black);
        }
        y_ += height;
    }

    // Room for one more line, with one kept free at the foot of the page.
    bool fits() const { return y_ + 2 * p_.fontMetrics().lineSpacing() <= page_.bottom(); }

    void table(const Report& report) {
        p_.setFont(fontOf(9, true));
        row(report.columns, {});
        p_.setFont(fontOf(9));
        for (std::size_t i = 0; i < report.rows.size(); ++i) {
            if (!fits()) {
                if (!newPage_()) {
                    line(QStringLiteral("Flagged runs not shown here: %1")
                             .arg(report.rows.size() - i),
                         fontOf(9, true));
                    return;
                }
                y_ = page_.top();
                p_.setFont(fontOf(9, true));
                row(report.columns, {});
                p_.setFont(fontOf(9));
            }
            const Report::Row& r = report.rows[i];
            row(r.cells, r.rejects ? kRejectionText : kWarningText);
        }
    }

    QPainter& p_;
    QRectF page_;
    std::function<bool()> newPage_;
    qreal y_;
};

} // namespace

void paintReport(QPagedPaintDevice& device, const Report& report) {
    QPainter painter(&device);
    PagePainter(painter, QRectF(0, 0, device.width(), device.height()), [&] {
        return device.newPage();
    }).paint(report);
}

QImage reportImage(const Report& report) {
    // An A4 page across, at 150 dots per inch.
    constexpr int kDotsPerMetre = 5906;
    QImage image(1754, 1240, QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int margin = 60;
    PagePainter(painter, QRectF(image.rect()).adjusted(margin, margin, -margin, -margin), [] {
        return false;
    }).paint(report);
    return image;
}

} // namespace kr7::qc
