#include "results_export.h"

#include "errors.h"
#include "record_grid_model.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>

namespace kr7 {

namespace {

// The CSV file's columns, in their order.
constexpr std::array<const char16_t*, 5> kCsvKeys = {u"BARCODE", u"PV1_STRING", u"DATE_TESTED",
                                                     u"RUNTIME", u"SYSTEM_NOTES"};

// The plain printout's columns and where each starts, in character columns from 1.
struct PrintColumn {
    const char16_t* key;
    int at;
};
constexpr std::array<PrintColumn, 3> kPrintColumns = {
    {{u"BARCODE", 10}, {u"PV1_STRING", 40}, {u"DATE_TESTED", 48}}};
constexpr int kLeftColumn = 10;
const QString kDashes(70, u'-');
constexpr int kWidestColumn = kLeftColumn + 70 - 1;
constexpr int kPrintPointSize = 12;

// The rows written between two hand-overs to the device, and between two progress reports.
constexpr int kRowsPerChunk = 500;

constexpr std::string_view kFormulaStarts = "=+-@";

int keyColumn(const RecordGridModel& grid, const char16_t* key) {
    const int column = grid.columnIndex(QStringView(key));
    if (column < 0)
        throw itemNotFound(QString::fromUtf16(key));
    return column;
}

void writeAll(QIODevice& out, std::string& pending) {
    if (out.write(pending.data(), qint64(pending.size())) != qint64(pending.size()))
        throw Error(errnum::FileError,
                    QStringLiteral("The file cannot be written: %1").arg(out.errorString()));
    pending.clear();
}

bool needsQuotes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == ',' || c == '"' || c == '\n' || c == '\r'; });
}

// One field, `prefix` and `text` together, quoted when it must be.
void appendField(std::string& line, std::string_view prefix, std::string_view text) {
    if (!needsQuotes(prefix) && !needsQuotes(text)) {
        line += prefix;
        line += text;
        return;
    }
    line += '"';
    for (const std::string_view part : {prefix, text})
        for (const char c : part) {
            if (c == '"')
                line += '"';
            line += c;
        }
    line += '"';
}

bool looksLikeFormula(std::string_view text) {
    return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

void appendLine(std::string& pending, const QStringList& fields) {
    pending += (csvLine(fields) + QStringLiteral("\r\n")).toStdString();
}

// Text placed at character columns of a fixed-pitch font, line after line, on as many pages
// as it takes.
class CharacterLines {
  public:
    CharacterLines(QPainter& painter, QPagedPaintDevice& page) : painter_(painter), page_(page) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(kPrintPointSize);
        // The longest line must fit the page: a smaller font rather than cut-off dashes.
        const double widest = kWidestColumn * QFontMetricsF(font, &page_).horizontalAdvance(u'0');
        if (widest > page_.width())
            font.setPointSizeF(kPrintPointSize * page_.width() / widest);
        painter_.setFont(font);
        const QFontMetricsF metrics(font, &page_);
        charWidth_ = metrics.horizontalAdvance(u'0');
        lineHeight_ = metrics.lineSpacing();
        ascent_ = metrics.ascent();
    }

    void setStyle(bool bold, bool underline) {
        QFont font = painter_.font();
        font.setBold(bold);
        font.setUnderline(underline);
        painter_.setFont(font);
    }

    void put(int column, const QString& text) {
        if (top_ + lineHeight_ > page_.height() && top_ > 0) {
            page_.newPage();
            top_ = 0;
        }
        painter_.drawText(QPointF((column - 1) * charWidth_, top_ + ascent_), text);
    }

    void endLine() { top_ += lineHeight_; }

  private:
    QPainter& painter_;
    QPagedPaintDevice& page_;
    double charWidth_ = 0;
    double lineHeight_ = 0;
    double ascent_ = 0;
    double top_ = 0;
};

} // namespace

std::vector<int> rowsToProcess(std::vector<int> selected, std::vector<int> listed, int limit) {
    if (selected.empty())
        selected = std::move(listed);
    if (int(selected.size()) > limit)
        selected.resize(std::size_t(limit));
    return selected;
}

QString csvLine(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& field = fields[i];
        if (i > 0)
            line += u',';
        const bool quoted = field.contains(u',') || field.contains(u'"') || field.contains(u'\n') ||
                            field.contains(u'\r');
        if (!quoted) {
            line += field;
            continue;
        }
        line += u'"';
        line += QString(field).replace(u'"', QStringLiteral("\"\""));
        line += u'"';
    }
    return line;
}

QString formulaSafe(const QString& text) {
    if (!text.isEmpty() && text.front().unicode() < 0x80 &&
        looksLikeFormula(std::string(1, char(text.front().unicode()))))
        return u'\'' + text;
    return text;
}

void writeCsv(QIODevice& out, const ResultsExport& results) {
    const RecordGridModel& grid = results.grid;
    std::array<int, kCsvKeys.size()> columns{};
    QStringList titles;
    for (std::size_t i = 0; i < kCsvKeys.size(); ++i) {
        columns[i] = keyColumn(grid, kCsvKeys[i]);
        titles << grid.column(columns[i]).title;
    }
    std::string pending;
    appendLine(pending, {kResultsHeading});
    appendLine(pending, {results.printTitle});
    appendLine(pending, {});
    appendLine(pending, titles);
    int done = 0;
    std::string text;
    for (const int row : results.rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            text.clear();
            grid.appendCellUtf8(row, columns[i], text);
            // The barcode stays text, leading zeros and all; so does a note like a formula.
            const bool keepText = i == 0 || (i == columns.size() - 1 && looksLikeFormula(text));
            if (i > 0)
                pending += ',';
            appendField(pending, keepText ? "'" : "", text);
        }
        pending += "\r\n";
        if (++done % kRowsPerChunk == 0)
            writeAll(out, pending);
        results.rowDone(done);
    }
    writeAll(out, pending);
}

void printDetails(QPainter& painter, QPagedPaintDevice& page, const ResultsExport& results) {
    const RecordGridModel& grid = results.grid;
    std::array<int, kPrintColumns.size()> columns{};
    for (std::size_t i = 0; i < kPrintColumns.size(); ++i)
        columns[i] = keyColumn(grid, kPrintColumns[i].key);
    const auto putRow = [&](CharacterLines& lines, const auto& textOf) {
        for (std::size_t i = 0; i < kPrintColumns.size(); ++i)
            lines.put(kPrintColumns[i].at, textOf(columns[i]));
        lines.endLine();
    };

    CharacterLines lines(painter, page);
    lines.setStyle(true, true);
    lines.put(kLeftColumn, kResultsHeading);
    lines.endLine();
    lines.put(kLeftColumn, results.printTitle);
    lines.endLine();
    lines.endLine();
    lines.setStyle(false, true);
    putRow(lines, [&](int column) { return grid.column(column).title; });
    lines.setStyle(false, false);
    int position = 0;
    for (const int row : results.rows) {
        ++position;
        if (!grid.cellText(row, columns[0]).isEmpty()) {
            putRow(lines, [&](int column) { return grid.cellText(row, column); });
            if (position % 3 == 0) {
                lines.put(kLeftColumn, kDashes);
                lines.endLine();
            }
        }
        results.rowDone(position);
    }
}

} // namespace kr7
