#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QIODevice;
class QPainter;
class QPagedPaintDevice;

namespace kr7 {

class RecordGridModel;

// How many rows one action takes at the most, hidden ones included.
constexpr int kExportRowLimit = 60000;
constexpr int kPrintRowLimit = 1000;

// The heading lines of every export.
inline const QString kResultsHeading = QStringLiteral("All Patient results on file");

// The rows of the results grid that an action takes out of the program, and what it says
// about its progress.
struct ResultsExport {
    const RecordGridModel& grid;
    std::vector<int> rows; // grid rows, in the order they are processed
    QString printTitle;
    // Told after each row with the row's number, counted from 1.
    std::function<void(int done)> rowDone = [](int) {};
};

// The selected rows, or else every row as the grid lists them; at most `limit` of them.
std::vector<int> rowsToProcess(std::vector<int> selected, std::vector<int> listed, int limit);

// The CSV file: the two heading lines, an empty line, the titles, then one line per row
// (hidden rows included) of barcode, first result, time, runtime and system notes.
// Throws the file error when the device refuses to take it.
void writeCsv(QIODevice& out, const ResultsExport& results);

// The plain printout: barcode, first result and time of each row with a barcode, in a
// fixed-pitch font at character columns, a line of dashes under every third row taken.
void printDetails(QPainter& painter, QPagedPaintDevice& page, const ResultsExport& results);

// One CSV line of fields (RFC 4180), without its line end: a field is quoted only when it
// holds a comma, a double quote or a line break.
QString csvLine(const QStringList& fields);

// A note that a spreadsheet would run as a formula gets the apostrophe that keeps it text.
QString formulaSafe(const QString& text);

} // namespace kr7
