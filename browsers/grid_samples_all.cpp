#include "grid_samples_all.h"

#include "central_conf.h"
#include "central_results.h"
#include "clock.h"
#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "errors.h"
#include "frm_data_export_please_wait.h"
#include "install_folder.h"
#include "record_grid_view.h"
#include "record_screen.h"
#include "results_export.h"
#include "results_find.h"
#include "results_reader.h"
#include "results_sheet.h"
#include "services.h"
#include "trap.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <map>
#include <optional>
#include <tuple>

namespace kr7 {

namespace {

const QString kScreenName = QStringLiteral("grid_samples_all : ");

const QString kDatePattern = QStringLiteral("dd/mm/yy hh:mm");
const QString kReadingTitle = QStringLiteral("Reading results\u2026");

// The first rows fill the window before it shows; then the reading goes on in slices short
// enough that the window answers between them.
constexpr int kFirstRows = 100;
constexpr int kRowsPerStep = 2000;
constexpr qint64 kReadingSliceMs = 30;
const QString kUserNotes = QStringLiteral("USER_NOTES");
const QString kInstrument = QStringLiteral("INSTRUMENT"); // of the central database's rows
constexpr int kUserNotesWidth = 70;
constexpr Qt::Alignment kOwnAlignment = Qt::AlignCenter;

const QColor kNavy{0, 0, 128};
const QColor kAmber{255, 204, 0};
const QColor kPink{255, 193, 224};
const QColor kLightCyan{204, 255, 255};
const QColor kLightYellow{255, 255, 128};
const QColor kRed{255, 0, 0};

constexpr int kPatient = 1;

// The barcode's text colour by record type; other types keep the column's navy.
const std::map<int, QColor> kBarcodeColours = {{1, kNavy},
                                               {2, QColor(0, 128, 0)},
                                               {3, QColor(0, 0, 255)},
                                               {4, kRed},
                                               {7, QColor(225, 39, 30)},
                                               {8, QColor(225, 39, 30)},
                                               {9, QColor(225, 39, 30)},
                                               {10, QColor(225, 39, 30)}};

// The laboratory system's state codes; other codes leave the cell as it is.
const std::map<int, QColor> kLimsColours = {
    {0, kPink}, {1, kLightYellow}, {3, kAmber}, {4, kEditablePaleGreen}, {5, Qt::white}, {6, kRed}};

struct FilterBox {
    const char* name;
    const char* caption;
    std::vector<int> types;
};
const std::vector<FilterBox> kFilterBoxes = {{"chk_patient", "Patient samples", {1}},
                                             {"chk_check", "Check", {2}},
                                             {"chk_low", "Low", {3}},
                                             {"chk_high", "High", {4}},
                                             {"chk_other", "Other", {7, 8, 9, 12, 10}}};

enum class Picture { Spreadsheet, Printer, OpenOffice };

struct ToolButton {
    const char* key;
    const char* tip;
    Picture picture;
};
// The tool bar's buttons by the spreadsheet link PC_45; any other link has none.
const std::map<int, std::vector<ToolButton>> kButtonsByLink = {
    {0, {{"PlainPrinter", "Print", Picture::Printer}}},
    {1,
     {{"Excel", "Export to Excel", Picture::Spreadsheet},
      {"ExcelPrint", "Print", Picture::Printer}}},
    {2,
     {{"OpenOffice", "Export to OpenOffice", Picture::OpenOffice},
      {"PlainPrinter", "Print", Picture::Printer}}}};

// The original platform's numbers for a component that cannot start and a printer fault.
constexpr std::int32_t kNoProgramError = 429;
constexpr std::int32_t kPrinterError = 482;

GridColumn resultColumn(const char* key, const QString& title, int width, CellStyle style = {}) {
    return {QString::fromLatin1(key), title, width, true, std::move(style)};
}

// A result's text, exported under the result's name; the grid's header says it is the text,
// so that no two headers are the same.
GridColumn textColumn(const char* key, const QString& result) {
    GridColumn column = resultColumn(key, result, 50);
    column.heading = result + QStringLiteral(" text");
    return column;
}

GridColumn hiddenColumn(const char* key) {
    GridColumn column{QString::fromLatin1(key)};
    column.visible = false;
    return column;
}

// The two result texts come last, under the names of their results.
std::vector<GridColumn> resultColumns(const QString& pv1Title, const QString& pv2Title) {
    const CellStyle result{
        .alignment = kOwnAlignment, .pattern = QStringLiteral("0.000"), .alignHeader = true};
    const auto text = [](const char* title) { return QString::fromLatin1(title); };
    return {resultColumn("BARCODE", text("Barcode"), 170, {.foreground = kNavy}),
            resultColumn("PV1_NUMBER", pv1Title, 50, result),
            resultColumn("PV2_NUMBER", pv2Title, 50, result),
            resultColumn("RUNTIME", text("Runtime"), 60,
                         {.alignment = kOwnAlignment, .alignHeader = true}),
            resultColumn("SYSTEM_NOTES", text("System Notes"), 130),
            resultColumn("PATIENT_NAME", text("Patient"), 50),
            resultColumn("USER_NOTES", text("User Notes"), kUserNotesWidth),
            resultColumn("DATE_TESTED", text("Time"), 100,
                         {.alignment = kOwnAlignment, .pattern = kDatePattern}),
            resultColumn("LIMS_STR", text("LIMS"), 60),
            resultColumn("TESTED_INITIALS", text("Initials"), 45),
            resultColumn("TESTED_NAME", text("Name"), 45),
            resultColumn("PIC_ID", text("KR7 no."), 55),
            hiddenColumn("PV_HIGH"),
            hiddenColumn("PV_LOW"),
            hiddenColumn("REC_TYPE"),
            hiddenColumn("LIMS_NUM"),
            textColumn("PV1_STRING", pv1Title),
            textColumn("PV2_STRING", pv2Title)};
}

// The number a cell stands for: a number as it is, a text by its leading number; none for a
// null.
std::optional<double> numberOf(const Value& value) {
    if (value.isNull())
        return std::nullopt;
    if (value.kind() == Value::Kind::Text)
        return conv::leadingNumber(value.asText());
    return value.toNumber();
}

QIcon picture(Picture kind) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    switch (kind) {
    case Picture::Spreadsheet:
        p.setBrush(Qt::white);
        p.drawRect(3, 3, 18, 18);
        p.fillRect(QRect(4, 4, 17, 4), QColor(0, 128, 0));
        for (int x : {9, 15})
            p.drawLine(x, 3, x, 21);
        for (int y : {8, 13, 17})
            p.drawLine(3, y, 21, y);
        break;
    case Picture::Printer:
        p.setBrush(Qt::white);
        p.drawRect(7, 2, 10, 8);
        p.setBrush(Qt::gray);
        p.drawRoundedRect(2, 9, 20, 9, 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(6, 15, 12, 7);
        break;
    case Picture::OpenOffice: {
        p.setBrush(Qt::white);
        QPainterPath page;
        page.moveTo(5, 2);
        page.lineTo(15, 2);
        page.lineTo(19, 6);
        page.lineTo(19, 22);
        page.lineTo(5, 22);
        page.closeSubpath();
        p.drawPath(page);
        p.setPen(QPen(QColor(0, 84, 166), 2));
        for (int y : {9, 13, 17})
            p.drawLine(8, y, 16, y);
        break;
    }
    }
    return QIcon(pixmap);
}

std::unique_ptr<QPrinter> defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw Error(kPrinterError, QStringLiteral("There is no default printer: set one up in "
                                                  "the system's printer settings, then try again"));
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

// A file of the workbook's own in the system's temporary folder, left for the program that
// shows it.
QString temporaryWorkbookPath() {
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("KR7 samples XXXXXX.xlsx")));
    file.setAutoRemove(false);
    if (!file.open())
        throw Error(errnum::FileError,
                    QStringLiteral("The workbook cannot be made in %1: %2")
                        .arg(QDir::toNativeSeparators(QDir::tempPath()), file.errorString()));
    return file.fileName();
}

// The page the preview lays the printout on: the default printer's, or a plain PDF page on a
// computer without a printer, where the preview must still come up.
std::unique_ptr<QPrinter> previewPrinter(const ExportTargets& targets) {
    try {
        return targets.printer();
    } catch (const Error&) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        return printer;
    }
}

// Keeps the page and the rows the preview draws, again at each zoom, for as long as it shows.
class PreviewDialog : public QDialog {
  public:
    PreviewDialog(QWidget* owner, std::unique_ptr<QPrinter> printer, ResultsExport results)
        : QDialog(owner), printer_(std::move(printer)), results_(std::move(results)) {
        setObjectName(QStringLiteral("dlg_print_preview"));
        setWindowTitle(QStringLiteral("Print preview"));
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowModality(Qt::WindowModal);
        auto* preview = new QPrintPreviewWidget(printer_.get(), this);
        connect(preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
            QPainter painter(printer);
            printDetails(painter, *printer, results_);
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        print_ = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::ActionRole);
        print_->setObjectName(QStringLiteral("cmd_print"));
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(preview, 1);
        layout->addWidget(buttons);
        resize(700, 800);
    }
    QPushButton* printButton() const { return print_; }

  private:
    std::unique_ptr<QPrinter> printer_;
    ResultsExport results_;
    QPushButton* print_;
};

QString choosePdfFile(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save as PDF"), suggested,
                                        QStringLiteral("PDF documents (*.pdf)"));
}

void writePdfFile(const QString& path, const ResultsExport& results) {
    files::writeWhole(path, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("KR7 Data"));
        writer.setTitle(kResultsHeading);
        QPainter painter;
        if (!painter.begin(&writer))
            throw Error(errnum::FileError, QStringLiteral("The PDF file cannot be written"));
        printDetails(painter, writer, results);
        painter.end();
    });
}

void writeCsvFile(const QString& path, const ResultsExport& results) {
    files::writeWhole(path, [&](QIODevice& file) { writeCsv(file, results); });
}

} // namespace

ExportTargets desktopExportTargets() {
    return {defaultPrinter, [](const QUrl& url) { return QDesktopServices::openUrl(url); },
            choosePdfFile};
}

grid_samples_all::grid_samples_all(QWidget* owner)
    : QWidget(owner, Qt::Window), CaptionX1_(new QToolBar), source_(new QComboBox),
      ig_samples_all_(new RecordGridView), findBar_(new ResultsFindBar(ig_samples_all_)),
      waitForm_(new frm_Data_Export_Please_Wait(this)), targets_(desktopExportTargets()) {
    setObjectName(QStringLiteral("grid_samples_all"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("All Samples on file"));
    CaptionX1_->setObjectName(QStringLiteral("CaptionX1"));
    ig_samples_all_->setObjectName(QStringLiteral("ig_samples_all"));
    ig_samples_all_->setAccessibleName(QStringLiteral("All Samples on file"));
    ig_samples_all_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ig_samples_all_->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* filters = new QHBoxLayout;
    auto* hint = new QLabel(QStringLiteral("Click to show/hide selection"));
    hint->setObjectName(QStringLiteral("Label1"));
    filters->addWidget(hint);
    for (const FilterBox& filter : kFilterBoxes) {
        auto* box = new QCheckBox(QString::fromLatin1(filter.caption));
        box->setObjectName(QString::fromLatin1(filter.name));
        connect(box, &QCheckBox::clicked, this,
                [this, box, &filter] { runFilter(box, filter.types); });
        filters->addWidget(box);
        filterBoxes_.push_back(box);
    }
    filters->addStretch();
    source_->setObjectName(QStringLiteral("cbo_source"));
    source_->setAccessibleName(QStringLiteral("Results of"));
    source_->addItems({QStringLiteral("This instrument"), QStringLiteral("All instruments")});
    source_->hide();
    connect(source_, &QComboBox::currentIndexChanged, this, [this] { readFromSource(); });
    filters->addWidget(source_);

    auto* content = new QWidget;
    auto* inner = new QVBoxLayout(content);
    // The grid sits 12 twips in from the left and ends 12 twips above the bottom.
    const int edge = std::max(1, int(12 / twipsPerPixel(this)));
    inner->setContentsMargins(edge, 0, 0, edge);
    inner->addLayout(filters);
    inner->addWidget(findBar_);
    inner->addWidget(ig_samples_all_, 1);
    findBar_->addShortcutsTo(this);
    findBar_->hide();

    auto* titleBar = new QHBoxLayout;
    titleBar->addWidget(CaptionX1_);
    for (const auto& [name, text, run] :
         {std::tuple{"cmd_print_preview", "Print preview", &grid_samples_all::printPreview},
          std::tuple{"cmd_save_pdf", "Save as PDF", &grid_samples_all::savePdf}}) {
        auto* button = new QPushButton(QString::fromLatin1(text));
        button->setObjectName(QString::fromLatin1(name));
        button->hide();
        connect(button, &QPushButton::clicked, this, run);
        titleBar->addWidget(button);
        pageButtons_.push_back(button);
    }
    titleBar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(titleBar);
    layout->addWidget(content, 1);
    resize(800, 600);

    ig_samples_all_->grid().setLookHook(
        [this](int row, int column, CellLook& look) { lookOfCell(row, column, look); });
}

// The grid outlives this part of the screen while the window's children are deleted; a cell
// drawn then must not ask the screen for its look.
grid_samples_all::~grid_samples_all() {
    ig_samples_all_->grid().setLookHook(nullptr);
    delete waitForm_.data();
}

// The window opens on the newest rows and the others come in while it is in use; the filters,
// the find, the sorts and the exports wait until every row is in.
void grid_samples_all::Form_Load() {
    const Trap trap(kScreenName + QStringLiteral("form_load"));
    trap.run([this] { keepValues(); });
    trap.run([this] {
        centralUrl_ = central::configuredUrl();
        source_->setVisible(!centralUrl_.isEmpty());
    });
    trap.run([this] { layOutGrid(); });
    startReading();
    show();
    ig_samples_all_->setFocus();
}

// The first rows, before the window shows; what is left comes in later slices.
void grid_samples_all::startReading() {
    readMore(kFirstRows);
    if (!reader_)
        return;
    setWindowTitle(kReadingTitle);
    sizeToColumns();
    for (QCheckBox* box : filterBoxes_)
        box->setEnabled(false);
}

void grid_samples_all::readMore(int rowsPerStep) {
    if (!reader_)
        return;
    bool more = false;
    runOrReport(kScreenName + QStringLiteral("form_load"), [&] {
        QElapsedTimer slice;
        slice.start();
        do
            more = ig_samples_all_->grid().appendRows(*reader_, rowsPerStep);
        while (more && slice.elapsed() < kReadingSliceMs);
    });
    if (!more)
        return endReading();
    QTimer::singleShot(0, this, [this] { readMore(kRowsPerStep); });
}

void grid_samples_all::endReading() {
    reader_.reset();
    RecordGridModel& grid = ig_samples_all_->grid();
    grid.endFill();
    const int count = grid.gridRowCount();
    if (count == 0) {
        grid.clearColumns();
        setWindowTitle(QStringLiteral("There are no Patient results on file"));
    } else {
        setWindowTitle(QStringLiteral("All Patient results on file (") +
                       conv::formatNumber(count, u"#,###") + QStringLiteral(" recs)"));
        sizeToColumns();
        setUpButtons();
        findBar_->show();
        ig_samples_all_->setSortable(true);
        for (std::size_t i = 0; i < filterBoxes_.size(); ++i) {
            filterBoxes_[i]->setEnabled(true);
            filterBoxes_[i]->setChecked(true);
            runFilter(filterBoxes_[i], kFilterBoxes[i].types);
        }
    }
}

void grid_samples_all::keepValues() {
    const QDateTime now = services().clock->now();
    const QString stem = files::installFolder() + QStringLiteral("samples_") +
                         now.toString(QStringLiteral("ddMMyy_HH_mm"));
    csvFileName_ = stem + QStringLiteral(".csv");
    workbookFileName_ = stem + QStringLiteral(".xlsx");
    spreadsheetLink_ = int(numberOf(Get_PC_Config_value(QStringLiteral("PC_45"))).value_or(0));
    printTitle_ = QStringLiteral("Halvik KR7 records at ") +
                  Get_PC_Config_value(QStringLiteral("PC_02")).toText();
}

// The rows are read on a connection of the reader's own, one snapshot of the file from the
// first row to the last; its read transaction ends with the reading.
void grid_samples_all::layOutGrid() {
    RecordGridModel& grid = ig_samples_all_->grid();
    RedrawPause pause(grid);
    if (grid.columnCount() == 0)
        for (GridColumn& column :
             resultColumns(Get_PC_Config_value(QStringLiteral("PC_42")).toText(),
                           Get_PC_Config_value(QStringLiteral("PC_43")).toText()))
            grid.addColumn(std::move(column));
    if (source_->currentIndex() == 1) {
        if (grid.columnIndex(kInstrument) < 0)
            grid.addColumn(resultColumn("INSTRUMENT", QStringLiteral("Instrument"), 60,
                                        {.alignment = kOwnAlignment, .alignHeader = true}));
        reader_ = central::openResults(centralUrl_);
    } else {
        reader_ = std::make_unique<MergedResults>(files::databaseFile());
    }
    grid.beginFill(*reader_);
    const auto at = [&](const char* key) { return grid.columnIndex(QString::fromLatin1(key)); };
    keys_ = {at("BARCODE"),    at("PV1_STRING"), at("PV2_STRING"),   at("PV1_NUMBER"),
             at("PV2_NUMBER"), at("RUNTIME"),    at("SYSTEM_NOTES"), at("LIMS_STR"),
             at("REC_TYPE"),   at("PV_LOW"),     at("PV_HIGH"),      at("LIMS_NUM"),
             at("USER_NOTES")};
}

// Every instrument's results from the central database, with their instrument's number, or
// this instrument's own file again. A central database that cannot be reached is reported
// and the screen shows this instrument's results.
void grid_samples_all::readFromSource() {
    reader_.reset();
    CaptionX1_->clear();
    findBar_->hide();
    ig_samples_all_->grid().clearColumns();
    if (!central::readCentral([this] { layOutGrid(); })) {
        const QSignalBlocker quiet(source_);
        source_->setCurrentIndex(0);
        ig_samples_all_->grid().clearColumns();
        layOutGrid();
    }
    startReading();
}

void grid_samples_all::sizeToColumns() {
    const double tpp = twipsPerPixel(this);
    designWidthTwips_ = ig_samples_all_->grid().visibleColumnsWidth() * tpp + 340;
    resize(int((designWidthTwips_ + 140) / tpp), height());
}

void grid_samples_all::setUpButtons() {
    for (QPushButton* button : pageButtons_)
        button->show();
    const auto buttons = kButtonsByLink.find(spreadsheetLink_);
    if (buttons == kButtonsByLink.end())
        return;
    for (const ToolButton& button : buttons->second) {
        const QString key = QString::fromLatin1(button.key);
        QAction* action = CaptionX1_->addAction(picture(button.picture), QString());
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(button.tip));
        connect(action, &QAction::triggered, this, [this, key] { runButton(key); });
        // Reachable with Tab, and named for a screen reader by its tool-tip.
        QWidget* widget = CaptionX1_->widgetForAction(action);
        widget->setFocusPolicy(Qt::TabFocus);
        widget->setAccessibleName(action->toolTip());
    }
}

void grid_samples_all::runFilter(QCheckBox* box, const std::vector<int>& types) {
    RecordGridModel& grid = ig_samples_all_->grid();
    if (grid.columnCount() == 0)
        return;
    const bool show = box->isChecked();
    RedrawPause pause(grid);
    for (int row = 0; row < grid.gridRowCount(); ++row)
        if (std::find(types.begin(), types.end(), recordType(row)) != types.end())
            grid.setRowVisible(row, show);
}

int grid_samples_all::recordType(int row) const {
    return int(numberOf(ig_samples_all_->grid().cellValue(row, keys_.recType)).value_or(-1));
}

void grid_samples_all::lookOfCell(int row, int column, CellLook& look) const {
    const RecordGridModel& grid = ig_samples_all_->grid();
    const int type = recordType(row);
    if (column == keys_.barcode) {
        if (const auto colour = kBarcodeColours.find(type); colour != kBarcodeColours.end())
            look.foreground = colour->second;
    } else if (column == keys_.systemNotes) {
        if (!look.text.isEmpty())
            look.background = kLightYellow;
    } else if (column == keys_.pv1Number || column == keys_.pv2Number || column == keys_.runtime) {
        if (numberOf(grid.cellValue(row, keys_.runtime)) == 0.0)
            look.text.clear();
    } else if (type == kPatient && column == keys_.pv1String) {
        look.background = resultColour(row, keys_.pv1Number);
    } else if (type == kPatient && column == keys_.pv2String) {
        look.background = resultColour(row, keys_.pv2Number);
    } else if (type == kPatient && column == keys_.limsStr) {
        const auto code = numberOf(grid.cellValue(row, keys_.limsNum));
        if (const auto colour = kLimsColours.find(int(code.value_or(-1)));
            code && colour != kLimsColours.end())
            look.background = colour->second;
    }
}

// Amber for a missing result, pink above the sample's high limit, light cyan below its low
// one; a missing limit never matches.
QColor grid_samples_all::resultColour(int row, int numberColumn) const {
    const RecordGridModel& grid = ig_samples_all_->grid();
    const auto result = numberOf(grid.cellValue(row, numberColumn));
    if (!result || *result == 0)
        return kAmber;
    const auto high = numberOf(grid.cellValue(row, keys_.pvHigh));
    if (high && *result > *high)
        return kPink;
    const auto low = numberOf(grid.cellValue(row, keys_.pvLow));
    if (low && *result < *low)
        return kLightCyan;
    return {};
}

// All the window's extra width goes to the user notes.
void grid_samples_all::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (designWidthTwips_ <= 0 || keys_.userNotes < 0)
        return;
    const double tpp = twipsPerPixel(this);
    const double excess = width() * tpp - designWidthTwips_;
    RecordGridModel& grid = ig_samples_all_->grid();
    grid.setColumnWidth(keys_.userNotes,
                        grid.scaledWidth(kUserNotesWidth) + (excess > 0 ? int(excess / tpp) : 0));
}

void grid_samples_all::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    reader_.reset();
    QWidget::closeEvent(event);
}

void grid_samples_all::runButton(const QString& key) {
    if (ig_samples_all_->grid().gridRowCount() == 0)
        return;
    if (key == u"Excel")
        ExportGrid(false);
    else if (key == u"ExcelPrint")
        ExportGrid(true);
    else if (key == u"OpenOffice")
        Export_CSV();
    else if (key == u"PlainPrinter")
        print_details();
}

// The window, tool bar included, takes no input while the action runs, and an action asked
// for meanwhile (the wait form processes events) is ignored; the wait form shows the
// progress. An error ends the action, and the window comes back in any case.
void grid_samples_all::runAction(const QString& errorName, int rowLimit,
                                 const std::function<void(const ResultsExport&)>& action) {
    if (busy_)
        return;
    busy_ = true;
    setEnabled(false);
    waitForm_->start();
    ResultsExport results = rowsToTake(rowLimit);
    const int total = int(results.rows.size());
    results.rowDone = [this, total](int done) { waitForm_->rowDone(done, total); };
    runOrReport(kScreenName + errorName, [&] { action(results); });
    waitForm_->hide();
    setEnabled(true);
    busy_ = false;
}

ResultsExport grid_samples_all::rowsToTake(int rowLimit) const {
    const RecordGridModel& grid = ig_samples_all_->grid();
    return {grid, rowsToProcess(ig_samples_all_->selectedRows(), grid.listedRows(), rowLimit),
            printTitle_};
}

void grid_samples_all::onPrinter(const std::function<void(QPainter&, QPrinter&)>& paint) {
    const std::unique_ptr<QPrinter> printer = targets_.printer();
    printer->setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(printer.get()))
        throw Error(kPrinterError,
                    QStringLiteral("The printer %1 cannot print").arg(printer->printerName()));
    paint(painter, *printer);
    if (!painter.end())
        throw Error(
            kPrinterError,
            QStringLiteral("The printer %1 did not take the printout").arg(printer->printerName()));
}

void grid_samples_all::ExportGrid(bool print) {
    runAction(QStringLiteral("ExportGrid "), print ? kPrintRowLimit : kExportRowLimit,
              [&](const ResultsExport& results) {
                  if (print) {
                      onPrinter([&](QPainter& painter, QPrinter& printer) {
                          printSheet(painter, printer, results, services().clock->now());
                      });
                      return;
                  }
                  showWorkbook(results);
              });
}

// The workbook goes to a file of its own for the desktop's spreadsheet program, which keeps
// it open for the user. One that no program opens is kept beside the CSV file, under the
// same stamp, and the error says where.
void grid_samples_all::showWorkbook(const ResultsExport& results) {
    const QString path = temporaryWorkbookPath();
    try {
        writeWorkbook(path, results);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    if (targets_.openDocument(QUrl::fromLocalFile(path)))
        return;
    QFile::remove(workbookFileName_);
    const QString kept = QFile::rename(path, workbookFileName_) ? workbookFileName_ : path;
    throw Error(kNoProgramError, QStringLiteral("No program on this computer opens the workbook: "
                                                "install a spreadsheet program. The workbook "
                                                "is kept as %1")
                                     .arg(QDir::toNativeSeparators(kept)));
}

void grid_samples_all::Export_CSV() {
    runAction(QStringLiteral("Export_CSV"), kExportRowLimit,
              [&](const ResultsExport& results) { writeCsvFile(csvFileName_, results); });
}

void grid_samples_all::print_details() {
    runAction(QStringLiteral("print_details"), kPrintRowLimit, [&](const ResultsExport& results) {
        onPrinter(
            [&](QPainter& painter, QPrinter& printer) { printDetails(painter, printer, results); });
    });
}

void grid_samples_all::printPreview() {
    if (busy_ || ig_samples_all_->grid().gridRowCount() == 0)
        return;
    auto* dialog = new PreviewDialog(this, previewPrinter(targets_), rowsToTake(kPrintRowLimit));
    connect(dialog->printButton(), &QPushButton::clicked, this, &grid_samples_all::print_details);
    dialog->open();
}

// The PDF file is written whole or not at all, so a failure leaves no half file behind.
void grid_samples_all::savePdf() {
    if (busy_ || ig_samples_all_->grid().gridRowCount() == 0)
        return;
    QString suggested = csvFileName_;
    suggested.replace(suggested.size() - 4, 4, QStringLiteral(".pdf"));
    const QString path = targets_.pdfFileName(this, suggested);
    if (path.isEmpty())
        return;
    runAction(QStringLiteral("Save_PDF"), kPrintRowLimit,
              [&](const ResultsExport& results) { writePdfFile(path, results); });
}

QWidget* openResultsBrowser(QWidget* owner) {
    auto* screen = new grid_samples_all(owner);
    screen->Form_Load();
    return screen;
}

} // namespace kr7
