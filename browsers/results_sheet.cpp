#include "results_sheet.h"

#include "conversions.h"
#include "errors.h"
#include "record_grid_model.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <map>
#include <memory>
#include <xlsxwriter.h>

namespace kr7 {

namespace {

enum class CellFormat { General, Text, TwoDecimals, Date };

// The formats of the columns that have one; by key, so that each follows its own column.
struct KeyFormat {
    const char16_t* key;
    CellFormat format;
};
constexpr KeyFormat kKeyFormats[] = {{u"BARCODE", CellFormat::Text},
                                     {u"PV1_NUMBER", CellFormat::TwoDecimals},
                                     {u"PV2_NUMBER", CellFormat::TwoDecimals},
                                     {u"DATE_TESTED", CellFormat::Date}};
const QString kBarcodeKey = QStringLiteral("BARCODE");

// The most characters a spreadsheet cell holds.
constexpr qsizetype kCellTextMax = 32767;
// Sheet rows before the data: the two heading lines, then the titles.
constexpr int kTitleRow = 2;
constexpr int kFirstDataRow = 3;
constexpr int kPagesTall = 9;
// Excel's colour index 15, "Grey 25%".
constexpr lxw_color_t kTitleGrey = 0xC0C0C0;

struct SheetColumn {
    int gridColumn;
    QString title;
    CellFormat format;
};

CellFormat formatOf(const QString& key) {
    for (const KeyFormat& f : kKeyFormats)
        if (key.compare(QStringView(f.key), Qt::CaseInsensitive) == 0)
            return f.format;
    return CellFormat::General;
}

// The barcode first, then every other visible column in grid order, each under its title.
std::vector<SheetColumn> sheetColumns(const RecordGridModel& grid) {
    std::vector<SheetColumn> columns;
    const int barcode = grid.columnIndex(kBarcodeKey);
    if (barcode < 0)
        throw itemNotFound(kBarcodeKey);
    const auto add = [&](int c) {
        columns.push_back({c, grid.column(c).title, formatOf(grid.column(c).key)});
    };
    add(barcode);
    for (int c = 0; c < grid.columnCount(); ++c)
        if (c != barcode && grid.column(c).visible)
            add(c);
    return columns;
}

// What a cell holds: the barcode as its grid shows it, a date as a date, anything else as
// the grid holds it.
Value sheetValue(const RecordGridModel& grid, int row, const SheetColumn& column) {
    if (column.format == CellFormat::Text)
        return Value::text(grid.cellText(row, column.gridColumn));
    Value value = grid.cellValue(row, column.gridColumn);
    if (column.format == CellFormat::Date && value.kind() == Value::Kind::Text)
        if (const auto date = conv::readDate(value.asText()))
            return Value::date(*date);
    return value;
}

QString sheetText(const Value& value, CellFormat format) {
    if (value.kind() == Value::Kind::Date)
        return conv::formatDate(value.asDate());
    if (value.isNumber())
        return format == CellFormat::TwoDecimals ? conv::formatNumber(value.toNumber(), u"0.00")
                                                 : conv::numberText(value.toNumber());
    return value.toText();
}

// The visible rows to process, each as its cells, told to `take` one after the other.
template <class F>
void forEachSheetRow(const ResultsExport& results, const std::vector<SheetColumn>& columns,
                     F&& take) {
    int done = 0;
    for (const int row : results.rows) {
        if (results.grid.isRowVisible(row)) {
            std::vector<Value> cells;
            cells.reserve(columns.size());
            for (const SheetColumn& column : columns)
                cells.push_back(sheetValue(results.grid, row, column));
            take(cells);
        }
        results.rowDone(++done);
    }
}

// Column widths in characters, fitted to the titles and the cells.
class FittedWidths {
  public:
    explicit FittedWidths(const std::vector<SheetColumn>& columns) {
        for (const SheetColumn& column : columns)
            chars_.push_back(column.title.size());
    }
    void fit(std::size_t column, const QString& text) {
        chars_[column] = std::max(chars_[column], text.size());
    }
    double width(std::size_t column) const { return double(chars_[column]) + 1; }

  private:
    std::vector<qsizetype> chars_;
};

[[noreturn]] void workbookFailed(const QString& path, lxw_error error) {
    throw Error(errnum::FileError, QStringLiteral("The workbook %1 cannot be written: %2")
                                       .arg(path, QString::fromUtf8(lxw_strerror(error))));
}

struct WorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// One worksheet being written; every call checks libxlsxwriter's answer.
class SheetWriter {
  public:
    explicit SheetWriter(const QString& path) : path_(path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to disk as they are written
        const QByteArray name = path.toUtf8();
        workbook_.reset(workbook_new_opt(name.constData(), &options));
        if (!workbook_)
            workbookFailed(path, LXW_ERROR_CREATING_TMPFILE);
        sheet_ = workbook_add_worksheet(workbook_.get(), nullptr);
        heading_ = addFormat([](lxw_format* f) {
            format_set_bold(f);
            format_set_italic(f);
        });
        title_ = addFormat([](lxw_format* f) {
            format_set_bold(f);
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, kTitleGrey);
        });
        formats_[CellFormat::Text] = numberFormat("@");
        formats_[CellFormat::TwoDecimals] = numberFormat("0.00");
        formats_[CellFormat::Date] = numberFormat("dd/mm/yy hh:mm");
    }

    lxw_format* headingFormat() const { return heading_; }
    lxw_format* titleFormat() const { return title_; }

    void text(int row, int column, const QString& text, lxw_format* format) {
        QString cut = text.left(kCellTextMax);
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1);
        check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(column),
                                     cut.toUtf8().constData(), format));
    }

    void cell(int row, int column, const Value& value, CellFormat format) {
        lxw_format* f = formats_.contains(format) ? formats_[format] : nullptr;
        if (value.kind() == Value::Kind::Date) {
            const QDateTime& at = value.asDate();
            lxw_datetime dt{at.date().year(), at.date().month(),  at.date().day(),
                            at.time().hour(), at.time().minute(), double(at.time().second())};
            check(worksheet_write_datetime(sheet_, lxw_row_t(row), lxw_col_t(column), &dt, f));
        } else if (value.isNumber()) {
            check(worksheet_write_number(sheet_, lxw_row_t(row), lxw_col_t(column),
                                         value.toNumber(), f));
        } else if (!value.isNull()) {
            text(row, column, value.toText(), f);
        }
    }

    void columnWidth(int column, double width) {
        check(worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), width, nullptr));
    }

    void pageSetUp(const QString& printTitle) {
        const QString footer = QStringLiteral("&L") +
                               QString(printTitle).replace(u'&', QStringLiteral("&&")) +
                               QStringLiteral("&CPage &P&R&D &T");
        check(worksheet_set_footer(sheet_, footer.toUtf8().constData()));
        worksheet_gridlines(sheet_, LXW_SHOW_ALL_GRIDLINES);
        worksheet_set_portrait(sheet_);
        worksheet_fit_to_pages(sheet_, 1, kPagesTall);
    }

    void close() {
        const lxw_error error = workbook_close(workbook_.release());
        if (error != LXW_NO_ERROR)
            workbookFailed(path_, error);
    }

  private:
    template <class F> lxw_format* addFormat(F&& set) {
        lxw_format* format = workbook_add_format(workbook_.get());
        set(format);
        return format;
    }
    lxw_format* numberFormat(const char* pattern) {
        return addFormat([&](lxw_format* f) { format_set_num_format(f, pattern); });
    }
    void check(lxw_error error) const {
        if (error != LXW_NO_ERROR)
            workbookFailed(path_, error);
    }

    QString path_;
    std::unique_ptr<lxw_workbook, WorkbookFree> workbook_;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* heading_ = nullptr;
    lxw_format* title_ = nullptr;
    std::map<CellFormat, lxw_format*> formats_;
};

// The printed sheet: cells in a grid of lines, scaled to the page's width and to at most
// nine pages, the footers at the foot of each page.
class SheetPainter {
  public:
    SheetPainter(QPainter& painter, QPagedPaintDevice& page) : painter_(painter), page_(page) {
        const QFontMetricsF metrics(painter_.font(), &page_);
        charWidth_ = metrics.horizontalAdvance(u'0');
        rowHeight_ = metrics.lineSpacing() * 1.3;
        footerHeight_ = rowHeight_ * 2;
    }

    // Lays the rows out on pages and paints them; `lines` are the sheet's rows from the first.
    void paint(const std::vector<std::vector<QString>>& lines, const std::vector<double>& widths,
               const std::vector<bool>& rightAligned, const QString& printTitle,
               const QString& printedAt) {
        std::vector<double> lefts{0};
        for (const double w : widths)
            lefts.push_back(lefts.back() + w * charWidth_);
        const int perPage = fitRows(lefts.back(), int(lines.size()));
        int pageNumber = 1;
        for (std::size_t first = 0; first < lines.size(); first += std::size_t(perPage)) {
            if (first > 0)
                page_.newPage();
            painter_.save();
            painter_.scale(scale_, scale_);
            const std::size_t end = std::min(lines.size(), first + std::size_t(perPage));
            for (std::size_t line = first; line < end; ++line)
                paintRow(int(line), lines[line], lefts, rightAligned, double(line - first));
            painter_.restore();
            paintFooter(printTitle, QStringLiteral("Page %1").arg(pageNumber++), printedAt);
        }
    }

  private:
    // How many rows a page takes at the largest scale that fits the width and nine pages.
    int fitRows(double sheetWidth, int rows) {
        const double pageHeight = page_.height() - footerHeight_;
        scale_ = std::min(1.0, page_.width() / sheetWidth);
        for (;;) {
            const int perPage = std::max(1, int(pageHeight / (rowHeight_ * scale_)));
            if ((rows + perPage - 1) / perPage <= kPagesTall || scale_ < 0.05)
                return perPage;
            scale_ *= 0.95;
        }
    }

    void paintRow(int line, const std::vector<QString>& cells, const std::vector<double>& lefts,
                  const std::vector<bool>& rightAligned, double place) {
        QFont font = painter_.font();
        font.setBold(line <= kTitleRow);
        font.setItalic(line < kTitleRow);
        painter_.setFont(font);
        const double top = place * rowHeight_;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const QRectF cell(lefts[c], top, lefts[c + 1] - lefts[c], rowHeight_);
            if (line < kTitleRow) { // the heading lines run on over the columns beside them
                painter_.drawText(cell.adjusted(charWidth_ / 2, 0, 0, 0).topLeft() +
                                      QPointF(0, rowHeight_ * 0.75),
                                  cells[c]);
                continue;
            }
            if (line == kTitleRow)
                painter_.fillRect(cell, QColor(kTitleGrey));
            painter_.drawRect(cell);
            const Qt::Alignment align =
                (line > kTitleRow && rightAligned[c] ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter;
            painter_.drawText(cell.adjusted(charWidth_ / 4, 0, -charWidth_ / 4, 0), align,
                              cells[c]);
        }
    }

    void paintFooter(const QString& left, const QString& centre, const QString& right) {
        QFont font = painter_.font();
        font.setBold(false);
        font.setItalic(false);
        painter_.setFont(font);
        const QRectF foot(0, page_.height() - rowHeight_, page_.width(), rowHeight_);
        painter_.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, left);
        painter_.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter, centre);
        painter_.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, right);
    }

    QPainter& painter_;
    QPagedPaintDevice& page_;
    double charWidth_ = 0;
    double rowHeight_ = 0;
    double footerHeight_ = 0;
    double scale_ = 1;
};

} // namespace

void writeWorkbook(const QString& path, const ResultsExport& results) {
    const std::vector<SheetColumn> columns = sheetColumns(results.grid);
    SheetWriter sheet(path);
    sheet.text(0, 0, kResultsHeading, sheet.headingFormat());
    sheet.text(1, 0, results.printTitle, sheet.headingFormat());
    for (std::size_t c = 0; c < columns.size(); ++c)
        sheet.text(kTitleRow, int(c), columns[c].title, sheet.titleFormat());
    FittedWidths widths(columns);
    int row = kFirstDataRow;
    forEachSheetRow(results, columns, [&](const std::vector<Value>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            sheet.cell(row, int(c), cells[c], columns[c].format);
            widths.fit(c, sheetText(cells[c], columns[c].format));
        }
        ++row;
    });
    for (std::size_t c = 0; c < columns.size(); ++c)
        sheet.columnWidth(int(c), widths.width(c));
    sheet.pageSetUp(results.printTitle);
    sheet.close();
}

void printSheet(QPainter& painter, QPagedPaintDevice& page, const ResultsExport& results,
                const QDateTime& printedAt) {
    const std::vector<SheetColumn> columns = sheetColumns(results.grid);
    FittedWidths widths(columns);
    std::vector<std::vector<QString>> lines{{kResultsHeading}, {results.printTitle}, {}};
    std::vector<bool> rightAligned;
    for (const SheetColumn& column : columns) {
        lines[kTitleRow].push_back(column.title);
        rightAligned.push_back(column.format == CellFormat::TwoDecimals ||
                               column.format == CellFormat::Date);
    }
    forEachSheetRow(results, columns, [&](const std::vector<Value>& cells) {
        std::vector<QString>& texts = lines.emplace_back();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            texts.push_back(sheetText(cells[c], columns[c].format));
            widths.fit(c, texts.back());
            if (cells[c].isNumber())
                rightAligned[c] = true;
        }
    });
    std::vector<double> charWidths;
    for (std::size_t c = 0; c < columns.size(); ++c)
        charWidths.push_back(widths.width(c));
    SheetPainter(painter, page)
        .paint(lines, charWidths, rightAligned, results.printTitle, conv::formatDate(printedAt));
}

} // namespace kr7
