#pragma once

#include <QImage>
#include <QStringList>
#include <functional>
#include <vector>

class QGraphicsView;
class QPainter;
class QPagedPaintDevice;

namespace kr7::qc {

// What the chart screen puts on paper: its heading and lines of text, the chart as the view
// shows it, and the table of flagged runs.
struct Report {
    QString heading;
    QStringList lines;
    QGraphicsView* chart = nullptr; // none when there is no chart
    QStringList columns;
    struct Row {
        QStringList cells;
        bool rejects = false;
    };
    std::vector<Row> rows;
};

// Every page of the report: the chart on the first, the table running on as far as it needs
// (a PDF file, a printer).
void paintReport(QPagedPaintDevice& device, const Report& report);

// The first page as a picture; a table too long for it ends with how many rows it left out.
QImage reportImage(const Report& report);

} // namespace kr7::qc
