#include "frm_qc_charts.h"

#include "central_conf.h"
#include "central_results.h"
#include "clock.h"
#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "errors.h"
#include "install_folder.h"
#include "qc_chart.h"
#include "services.h"
#include "trap.h"

#include <QAbstractTableModel>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

namespace kr7 {

namespace qc {

// The flagged runs under the chart; their rules in the colour of their points.
class FlaggedRunsModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columns() {
        static const QStringList titles = {QStringLiteral("Date"), QStringLiteral("Barcode"),
                                           QStringLiteral("Value"), QStringLiteral("z"),
                                           QStringLiteral("Rules")};
        return titles;
    }

    void setRows(std::vector<Report::Row> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<Report::Row>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(columns().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Report::Row& row = rows_[std::size_t(index.row())];
        if (role == Qt::DisplayRole)
            return row.cells.value(index.column());
        if (role == Qt::ForegroundRole && index.column() == columns().size() - 1)
            return row.rejects ? QColor(190, 0, 0) : QColor(160, 95, 0);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return columns().value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

  private:
    std::vector<Report::Row> rows_;
};

} // namespace qc

namespace {

const QString kScreenName = QStringLiteral("frm_qc_charts : ");
const QString kShortDate = QStringLiteral("dd/MM/yy");
// The period a level opens on: its last 31 days with runs.
constexpr int kDefaultDays = 31;

// A name fit for a file name on any system: letters and digits, the rest underscores.
QString fileNamePart(const QString& text) {
    QString part;
    for (const QChar c : text.trimmed())
        part += c.isLetterOrNumber() || c == u'-' ? c : u'_';
    return part;
}

QString countOf(qsizetype n, const char* thing) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(thing),
                                                n == 1 ? QString() : QStringLiteral("s"));
}

QString fixed(double x, int decimals) {
    return QString::number(x, 'f', decimals);
}

QDateEdit* dateField(const char* name, const char* accessibleName) {
    auto* field = new QDateEdit;
    field->setObjectName(QLatin1String(name));
    field->setAccessibleName(QLatin1String(accessibleName));
    field->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    field->setCalendarPopup(true);
    return field;
}

QComboBox* comboBox(const char* name, const char* accessibleName) {
    auto* box = new QComboBox;
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QLatin1String(accessibleName));
    return box;
}

// A label before its control, which it names for the keyboard (Alt+letter) and screen
// readers alike.
void addLabelled(QGridLayout* grid, int row, int& column, const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setBuddy(field);
    grid->addWidget(label, row, column++, Qt::AlignRight);
    grid->addWidget(field, row, column++);
}

QLabel* textLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

frm_qc_charts::frm_qc_charts(QWidget* owner)
    : QWidget(owner, Qt::Window), level_(comboBox("cbo_level", "Level")),
      result_(comboBox("cbo_result", "Result")), from_(dateField("dtp_from", "From")),
      to_(dateField("dtp_to", "To")), instrument_(comboBox("cbo_instrument", "Instrument")),
      source_(comboBox("cbo_source", "Source")),
      ownBaseline_(new QCheckBox(QStringLiteral("Baseline period of its o&wn"))),
      baselineFrom_(dateField("dtp_baseline_from", "Baseline from")),
      baselineTo_(dateField("dtp_baseline_to", "Baseline to")), notes_(textLabel("lbl_notes")),
      summary_(textLabel("lbl_summary")), saved_(textLabel("lbl_saved")),
      chart_(new qc::LeveyJenningsChart), view_(new QChartView(chart_)), table_(new QTableView),
      flagged_(new qc::FlaggedRunsModel(this)) {
    setObjectName(QStringLiteral("frm_qc_charts"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quality control"));
    ownBaseline_->setObjectName(QStringLiteral("chk_own_baseline"));
    notes_->setStyleSheet(QStringLiteral("color: rgb(150, 0, 0); font-weight: bold"));
    summary_->setStyleSheet(QStringLiteral("font-weight: bold"));
    view_->setObjectName(QStringLiteral("chart_qc"));
    view_->setAccessibleName(QStringLiteral("Levey-Jennings chart"));
    view_->setRenderHint(QPainter::Antialiasing);
    table_->setObjectName(QStringLiteral("grid_flagged"));
    table_->setAccessibleName(QStringLiteral("Runs that break a rule"));
    table_->setModel(flagged_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair{0, 130}, {1, 170}, {2, 80}, {3, 70}})
        table_->setColumnWidth(column, width);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(view_);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildChoices());
    layout->addWidget(notes_);
    layout->addWidget(summary_);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildOutputButtons());
    resize(1280, 680);
    splitter->setSizes({460, 140});
    connect(chart_, &qc::LeveyJenningsChart::runHovered, this,
            [this](int run, bool on) { showToolTip(run, on); });
}

frm_qc_charts::~frm_qc_charts() = default;

QWidget* frm_qc_charts::buildChoices() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    int column = 0;
    addLabelled(grid, 0, column, QStringLiteral("&Level"), level_);
    addLabelled(grid, 0, column, QStringLiteral("&Result"), result_);
    addLabelled(grid, 0, column, QStringLiteral("&From"), from_);
    addLabelled(grid, 0, column, QStringLiteral("&To"), to_);
    addLabelled(grid, 0, column, QStringLiteral("&Instrument"), instrument_);
    addLabelled(grid, 0, column, QStringLiteral("&Source"), source_);
    column = 2;
    grid->addWidget(ownBaseline_, 1, 0, 1, 2);
    addLabelled(grid, 1, column, QStringLiteral("&Baseline from"), baselineFrom_);
    addLabelled(grid, 1, column, QStringLiteral("Baseline t&o"), baselineTo_);
    grid->setColumnStretch(grid->columnCount(), 1);
    baselineFrom_->setEnabled(false);
    baselineTo_->setEnabled(false);
    return box;
}

QWidget* frm_qc_charts::buildOutputButtons() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(saved_, 1);
    const struct {
        const char* name;
        const char* caption;
        void (frm_qc_charts::*action)();
    } buttons[] = {{"cmd_save_pdf", "Save as P&DF", &frm_qc_charts::savePdf},
                   {"cmd_save_png", "Save as PN&G", &frm_qc_charts::savePng},
                   {"cmd_print", "&Print...", &frm_qc_charts::printChart}};
    for (const auto& [name, caption, action] : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(caption));
        button->setObjectName(QLatin1String(name));
        connect(button, &QPushButton::clicked, this, action);
        row->addWidget(button);
        outputButtons_.push_back(button);
    }
    return box;
}

void frm_qc_charts::connectChoices() {
    connect(level_, &QComboBox::currentIndexChanged, this, [this] {
        setDefaultPeriod();
        refresh();
    });
    connect(ownBaseline_, &QCheckBox::toggled, this, [this](bool own) {
        baselineFrom_->setEnabled(own);
        baselineTo_->setEnabled(own);
        refresh();
    });
    for (QComboBox* box : {result_, instrument_, source_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    for (QDateEdit* field : {from_, to_, baselineFrom_, baselineTo_})
        connect(field, &QDateEdit::dateChanged, this, [this] { refresh(); });
}

void frm_qc_charts::Form_Load() {
    const Trap trap(kScreenName + QStringLiteral("form_load"));
    for (const qc::Level& level : qc::levels())
        level_->addItem(level.name, level.recordType);
    trap.run([this] {
        const QString fallbacks[] = {QStringLiteral("PV25"), QStringLiteral("PV37")};
        const QString fields[] = {QStringLiteral("PC_42"), QStringLiteral("PC_43")};
        for (int i = 0; i < 2; ++i) {
            const QString title = Get_PC_Config_value(fields[i]).toText().trimmed();
            result_->addItem(title.isEmpty() ? fallbacks[i] : title);
        }
    });
    instrument_->addItem(QStringLiteral("All"), QString());
    fillSources();
    setDefaultPeriod();
    connectChoices();
    refresh();
    show();
    level_->setFocus();
}

// The last 31 days with runs of the level; the 31 days up to today when it has none. The
// baseline period starts as the same days.
void frm_qc_charts::setDefaultPeriod() {
    const int type = level_->currentData().toInt();
    std::optional<QDate> last;
    runOrReport(kScreenName + QStringLiteral("setDefaultPeriod"),
                [&] { last = qc::lastRunDay(Get_connection(), type); });
    const QDate to = last.value_or(services().clock->now().date());
    const QDate from = to.addDays(1 - kDefaultDays);
    for (const auto& [field, day] :
         {std::pair{from_, from}, {to_, to}, {baselineFrom_, from}, {baselineTo_, to}}) {
        const QSignalBlocker quiet(field);
        field->setDate(day);
    }
}

qc::RunFilter frm_qc_charts::filter(QDate from, QDate to) const {
    return {level_->currentData().toInt(),
            result_->currentIndex() == 1 ? qc::Result::Second : qc::Result::First, from, to,
            instrument_->currentData().toString()};
}

// The runs and their analysis change together or not at all: a failed read leaves the
// screen as it was.
void frm_qc_charts::refresh() {
    runOrReport(kScreenName + QStringLiteral("refresh"), [this] {
        qc::RunSet runs = readRuns(filter(from_->date(), to_->date()));
        const std::vector<double> values = runs.values();
        const std::vector<double> baseline =
            ownBaseline_->isChecked()
                ? readRuns(filter(baselineFrom_->date(), baselineTo_->date())).values()
                : values;
        analysis_ = qc::analyse(values, baseline);
        runs_ = std::move(runs);
        shownFrom_ = from_->date();
        shownTo_ = to_->date();
        fillInstruments(runs_.instruments);
        showAnalysis();
    });
}

// With a central database: this instrument, each instrument that has synced, or all of them.
// A central database that cannot be reached is reported, and the screen reads this
// instrument's file alone.
void frm_qc_charts::fillSources() {
    source_->addItem(QStringLiteral("This instrument"));
    runOrReport(kScreenName + QStringLiteral("fillSources"),
                [this] { centralUrl_ = central::configuredUrl(); });
    std::vector<int> synced;
    if (!centralUrl_.isEmpty() &&
        central::readCentral([&] { synced = central::syncedInstruments(centralUrl_); })) {
        for (const int number : synced)
            source_->addItem(QStringLiteral("KR7 %1 (central)").arg(number), number);
        source_->addItem(QStringLiteral("All instruments (central)"), -1);
    }
    for (QLabel* label : findChildren<QLabel*>())
        if (label->buddy() == source_)
            label->setVisible(source_->count() > 1);
    source_->setVisible(source_->count() > 1);
}

// A central database lost on the way is told, and the screen reads this instrument's file.
qc::RunSet frm_qc_charts::readRuns(const qc::RunFilter& filter) {
    const QVariant source = source_->currentData();
    qc::RunSet runs;
    if (source.isValid() && central::readCentral([&] {
            const int number = source.toInt();
            runs = qc::readCentralRuns(centralUrl_,
                                       number < 0 ? std::nullopt : std::optional(number), filter);
        }))
        return runs;
    const QSignalBlocker quiet(source_);
    source_->setCurrentIndex(0);
    return qc::readRuns(Get_connection(), filter);
}

// The instruments with runs in the period, and the one chosen even when it has none there.
void frm_qc_charts::fillInstruments(const QStringList& found) {
    const QString chosen = instrument_->currentData().toString();
    QStringList listed = found;
    if (!chosen.isEmpty() && !listed.contains(chosen))
        listed << chosen;
    QStringList shown;
    for (int i = 1; i < instrument_->count(); ++i)
        shown << instrument_->itemData(i).toString();
    if (shown == listed)
        return;
    const QSignalBlocker quiet(instrument_);
    while (instrument_->count() > 1)
        instrument_->removeItem(1);
    for (const QString& id : listed)
        instrument_->addItem(id, id);
    instrument_->setCurrentIndex(std::max(0, instrument_->findData(chosen)));
}

QString frm_qc_charts::levelName() const {
    return level_->currentText();
}

void frm_qc_charts::showAnalysis() {
    notes_->setText(notes().join(u'\n'));
    notes_->setVisible(!notes_->text().isEmpty());
    const bool any = !runs_.runs.empty();
    summary_->setText(any ? summary() : QString());
    summary_->setVisible(any);
    view_->setVisible(any);
    for (QPushButton* button : outputButtons_)
        button->setEnabled(any);
    chart_->plot({runs_.runs, analysis_.flags, analysis_.baseline,
                  QStringLiteral("%1 %2, %3 to %4")
                      .arg(levelName(), result_->currentText(), shownFrom_.toString(kShortDate),
                           shownTo_.toString(kShortDate)),
                  result_->currentText()});
    std::vector<qc::Report::Row> rows;
    for (std::size_t i = 0; i < runs_.runs.size(); ++i)
        if (analysis_.flags[i].any())
            rows.push_back({cellsOf(i), analysis_.flags[i].rejects()});
    flagged_->setRows(std::move(rows));
    saved_->clear();
}

// Every message is a label of its own line, for the eye and the screen reader alike.
QStringList frm_qc_charts::notes() const {
    QStringList lines;
    if (runs_.runs.empty())
        lines << QStringLiteral("No %1 runs between %2 and %3")
                     .arg(levelName(), shownFrom_.toString(kShortDate),
                          shownTo_.toString(kShortDate));
    else if (analysis_.outcome == qc::Outcome::TooFewBaselineRuns)
        lines << QStringLiteral("Baseline has %1; at least %2 are needed for the rules")
                     .arg(countOf(qsizetype(analysis_.baseline.count), "run"))
                     .arg(int(qc::kMinBaselineRuns));
    else if (analysis_.outcome == qc::Outcome::ZeroSd)
        lines << QStringLiteral("SD is 0: no rules");
    if (runs_.withoutResult > 0)
        lines << countOf(runs_.withoutResult, "run") +
                     QStringLiteral(" without a result not shown");
    return lines;
}

QString frm_qc_charts::summary() const {
    const qc::Baseline& b = analysis_.baseline;
    QStringList parts = {QStringLiteral("n %1").arg(runs_.runs.size())};
    if (ownBaseline_->isChecked())
        parts << QStringLiteral("baseline %1 to %2 (%3)")
                     .arg(baselineFrom_->date().toString(kShortDate),
                          baselineTo_->date().toString(kShortDate),
                          countOf(qsizetype(b.count), "run"));
    if (b.count > 0) {
        parts << QStringLiteral("mean %1").arg(fixed(b.mean, 4))
              << QStringLiteral("SD %1").arg(fixed(b.sd, 4))
              << (b.mean != 0
                      ? QStringLiteral("CV %1 %").arg(fixed(100 * b.sd / std::abs(b.mean), 2))
                      : QStringLiteral("CV -"));
    }
    if (analysis_.outcome == qc::Outcome::Evaluated)
        parts << QStringLiteral("warnings %1").arg(analysis_.warnings)
              << QStringLiteral("rejections %1").arg(analysis_.rejections);
    else
        parts << QStringLiteral("rules not evaluated");
    return parts.join(QStringLiteral("   \u00B7   "));
}

// Date, barcode, value, z and rules of a run, as the table, the tool-tip and the report
// show them.
QStringList frm_qc_charts::cellsOf(std::size_t run) const {
    const qc::Run& r = runs_.runs[run];
    const qc::Baseline& b = analysis_.baseline;
    QString z;
    if (b.sd > 0) {
        const double score = qc::zScore(r.value, b.mean, b.sd);
        z = (score > 0 ? QStringLiteral("+") : QString()) + fixed(score, 2);
    }
    return {r.tested.isValid() ? conv::formatDate(r.tested) : QString(), r.barcode,
            conv::formatNumber(r.value, u"0.000"), z,
            QString::fromStdString(analysis_.flags[run].names())};
}

void frm_qc_charts::showToolTip(int run, bool on) {
    if (!on || run < 0 || std::size_t(run) >= runs_.runs.size()) {
        QToolTip::hideText();
        return;
    }
    const QStringList cells = cellsOf(std::size_t(run));
    QStringList lines;
    for (int c = 0; c < cells.size(); ++c)
        lines << qc::FlaggedRunsModel::columns()[c] + QStringLiteral(": ") + cells[c];
    QToolTip::showText(QCursor::pos(), lines.join(u'\n'), view_);
}

QString frm_qc_charts::siteName() const {
    QString site;
    runOrReport(kScreenName + QStringLiteral("siteName"),
                [&] { site = Get_PC_Config_value(QStringLiteral("PC_02")).toText(); });
    return site;
}

qc::Report frm_qc_charts::report() const {
    // The chart lays itself out on the event loop's next turn: an output made at once after
    // a change must not show the layout before it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString site = siteName();
    const QString instrument = instrument_->currentData().toString();
    qc::Report r{QStringLiteral("Quality control") +
                     (site.isEmpty() ? QString() : QStringLiteral(": ") + site),
                 {QStringLiteral("%1 %2 from %3 to %4, %5")
                      .arg(levelName(), result_->currentText(), shownFrom_.toString(kShortDate),
                           shownTo_.toString(kShortDate),
                           instrument.isEmpty() ? QStringLiteral("all instruments")
                                                : QStringLiteral("instrument ") + instrument),
                  summary_->text()},
                 runs_.runs.empty() ? nullptr : view_,
                 qc::FlaggedRunsModel::columns(),
                 flagged_->rows()};
    r.lines << notes();
    return r;
}

QString frm_qc_charts::outputPath(const QString& extension) const {
    QStringList parts = {QStringLiteral("qc")};
    for (const QString& part :
         {fileNamePart(siteName()), levelName(), fileNamePart(result_->currentText()),
          fileNamePart(instrument_->currentData().toString()),
          shownFrom_.toString(QStringLiteral("ddMMyy")),
          shownTo_.toString(QStringLiteral("ddMMyy"))})
        if (!part.isEmpty())
            parts << part;
    return files::installFolder() + parts.join(u'_') + u'.' + extension;
}

// Written whole or not at all: a failed save leaves no half file behind.
void frm_qc_charts::saveTo(const QString& extension, const std::function<void(QIODevice&)>& write) {
    const QString path = outputPath(extension);
    runOrReport(kScreenName + QStringLiteral("Save_") + extension.toUpper(), [&] {
        files::writeWhole(path, write);
        saved_->setText(QStringLiteral("Saved as ") + QDir::toNativeSeparators(path));
    });
}

void frm_qc_charts::savePdf() {
    saveTo(QStringLiteral("pdf"), [this](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("KR7 Data"));
        const qc::Report r = report();
        writer.setTitle(r.heading);
        qc::paintReport(writer, r);
    });
}

void frm_qc_charts::savePng() {
    saveTo(QStringLiteral("png"), [this](QIODevice& file) {
        if (!qc::reportImage(report()).save(&file, "PNG"))
            throw Error(errnum::FileError, QStringLiteral("The picture cannot be written"));
    });
}

void frm_qc_charts::printChart() {
    auto* preview = new QPrintPreviewDialog(this);
    preview->setObjectName(QStringLiteral("dlg_print_preview"));
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->printer()->setPageOrientation(QPageLayout::Landscape);
    connect(preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { qc::paintReport(*printer, report()); });
    preview->open();
}

QWidget* openQcCharts(QWidget* owner) {
    auto* screen = new frm_qc_charts(owner);
    screen->Form_Load();
    return screen;
}

} // namespace kr7
