#pragma once

#include "record_grid_model.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QPushButton;
class QPainter;
class QPrinter;
class QToolBar;
class QUrl;

namespace kr7 {

class RecordGridView;
class RowCursor;
class frm_Data_Export_Please_Wait;
class ResultsFindBar;
struct ResultsExport;

// Where the exports go: the printer, and the desktop's program for a workbook.
struct ExportTargets {
    // Throws the printer error when there is no printer to use.
    std::function<std::unique_ptr<QPrinter>()> printer;
    // False when no program opens the document.
    std::function<bool(const QUrl&)> openDocument;
    // The file the user picks for a PDF, starting from `suggested`; empty when they cancel.
    std::function<QString(QWidget* parent, const QString& suggested)> pdfFileName;
};

// The system's default printer and the desktop's own programs.
ExportTargets desktopExportTargets();

// The results browser: every result of both results tables as they stood when it opened,
// newest first, read-only. Filters show or hide each kind of record, colours flag results
// outside their limits and the laboratory system's state, and the tool bar exports the rows
// to a workbook or a CSV file, or prints them. The find bar selects the rows that hold a
// text or fall in a range of dates, and a click on a column heading sorts by it.
class grid_samples_all : public QWidget {
    Q_OBJECT
  public:
    // A Qt::Window child of `owner`, deleted when it closes.
    explicit grid_samples_all(QWidget* owner);
    ~grid_samples_all() override;

    void Form_Load();

    void ExportGrid(bool print);
    void Export_CSV();
    void print_details();
    // The plain printout, shown on screen or written to a PDF file the user picks.
    void printPreview();
    void savePdf();

    void setExportTargets(ExportTargets targets) { targets_ = std::move(targets); }
    // True until every row is in the grid.
    bool isReading() const { return reader_ != nullptr; }
    const QString& csvFileName() const { return csvFileName_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The grid columns that the colours, texts and filters read.
    struct KeyColumns {
        int barcode, pv1String, pv2String, pv1Number, pv2Number, runtime, systemNotes, limsStr,
            recType, pvLow, pvHigh, limsNum, userNotes;
    };

    void keepValues();
    void layOutGrid();
    void startReading();
    void readMore(int rowsPerStep);
    void readFromSource();
    void endReading();
    void sizeToColumns();
    void setUpButtons();
    void runFilter(QCheckBox* box, const std::vector<int>& types);
    void lookOfCell(int row, int column, CellLook& look) const;
    QColor resultColour(int row, int numberColumn) const;
    int recordType(int row) const;
    void runButton(const QString& key);
    void runAction(const QString& errorName, int rowLimit,
                   const std::function<void(const ResultsExport&)>& action);
    void showWorkbook(const ResultsExport& results);
    void onPrinter(const std::function<void(QPainter&, QPrinter&)>& paint);
    ResultsExport rowsToTake(int rowLimit) const;

    QToolBar* CaptionX1_;
    // "This instrument / All instruments", shown when a central database is configured.
    QComboBox* source_;
    QString centralUrl_;
    RecordGridView* ig_samples_all_;
    ResultsFindBar* findBar_;
    std::vector<QPushButton*> pageButtons_; // the preview's and the PDF's
    std::vector<QCheckBox*> filterBoxes_;
    QPointer<frm_Data_Export_Please_Wait> waitForm_;
    std::unique_ptr<RowCursor> reader_; // while rows are still to come
    KeyColumns keys_{};
    QString csvFileName_;
    QString workbookFileName_; // where a workbook that no program opened is kept
    int spreadsheetLink_ = 0;
    QString printTitle_;
    double designWidthTwips_ = 0;
    bool busy_ = false;
    ExportTargets targets_;
};

// Makes the results browser for the configuration screen, runs its load and shows it.
QWidget* openResultsBrowser(QWidget* owner);

} // namespace kr7
