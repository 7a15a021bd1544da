#pragma once

#include "results_export.h"

#include <QDateTime>
#include <QString>

class QPainter;
class QPagedPaintDevice;

// The spreadsheet of the results browser: the two heading lines, the titles of the visible
// columns in row 3 (the barcode's first), then one row per visible row to process, the
// barcode as text. Written as a workbook to show, or printed as the same sheet.
namespace kr7 {

// Throws the file error when the workbook cannot be written.
void writeWorkbook(const QString& path, const ResultsExport& results);

// One page wide and at most nine tall, portrait, with gridlines and the footers: the print
// title, "Page n", and the date and time of printing.
void printSheet(QPainter& painter, QPagedPaintDevice& page, const ResultsExport& results,
                const QDateTime& printedAt);

} // namespace kr7
