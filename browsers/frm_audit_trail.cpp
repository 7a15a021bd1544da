#include "frm_audit_trail.h"

#include "audit.h"
#include "clock.h"
#include "conversions.h"
#include "database.h"
#include "errors.h"
#include "install_folder.h"
#include "prompter.h"
#include "record_grid_view.h"
#include "results_export.h"
#include "services.h"
#include "trap.h"

#include <QDir>
#include <QFontDatabase>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace kr7 {

namespace {

const QString kScreenName = QStringLiteral("frm_audit_trail : ");
const QString kDateHint = QStringLiteral("Enter a date as DD/MM/YY");

struct AuditColumn {
    const char* key;
    const char* title;
    int width;
};
const AuditColumn kColumns[] = {
    {"AU_01", "No.", 60},        {"AU_02", "Time", 150},   {"AU_03", "Account", 100},
    {"AU_04", "Machine", 110},   {"AU_05", "Where", 260},  {"AU_06", "Table", 140},
    {"AU_07", "Field", 70},      {"AU_08", "Record", 110}, {"AU_09", "Old value", 140},
    {"AU_10", "New value", 140},
};

// Every bound value is null when its filter is empty, so one statement serves them all.
const QString kFilteredRows =
    QStringLiteral("SELECT AU_01, AU_02, AU_03, AU_04, AU_05, AU_06, AU_07, AU_08, AU_09, AU_10 "
                   "FROM T_Audit_trail "
                   "WHERE (?1 IS NULL OR AU_02 >= ?1) AND (?2 IS NULL OR AU_02 < ?2) "
                   "AND (?3 IS NULL OR instr(lower(AU_06 || ' ' || AU_07), lower(?3)) > 0) "
                   "AND (?4 IS NULL OR instr(lower(AU_03), lower(?4)) > 0) "
                   "ORDER BY AU_01 DESC");

Value textOrNull(const QLineEdit* field) {
    const QString text = field->text().trimmed();
    return text.isEmpty() ? Value::null() : Value::text(text);
}

// The stored form of the date in a filter field: null when the field is empty, nothing when
// it holds no date (the field turns red). `daysLater` 1 makes "to" include its whole day.
std::optional<Value> dateBound(QLineEdit* field, int daysLater) {
    const QString text = field->text().trimmed();
    const auto date = text.isEmpty() ? std::optional<QDateTime>() : conv::readDate(text);
    const bool bad = !text.isEmpty() && !date;
    field->setStyleSheet(bad ? QStringLiteral("QLineEdit { background: #ffc0c0; color: black; }")
                             : QString());
    field->setToolTip(bad ? kDateHint : QString());
    if (bad)
        return std::nullopt;
    if (!date)
        return Value::null();
    return Value::text(conv::storedDateText(QDateTime(date->date().addDays(daysLater), {})));
}

QStringList columnTitles() {
    QStringList titles;
    for (const AuditColumn& c : kColumns)
        titles << QString::fromLatin1(c.title);
    return titles;
}

QStringList rowTexts(const RecordGridModel& grid, int row) {
    QStringList fields;
    for (int c = 0; c < grid.columnCount(); ++c)
        fields << escapedForDisplay(grid.cellText(row, c));
    return fields;
}

} // namespace

QString escapedForDisplay(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

frm_audit_trail::frm_audit_trail(QWidget* owner)
    : QWidget(owner, Qt::Window), grid_(new RecordGridView), verdict_(new QLabel) {
    setObjectName(QStringLiteral("frm_audit_trail"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Audit trail"));
    auto* filters = new QHBoxLayout;
    const auto add = [&](const QString& name, const QString& placeholder) {
        auto* field = new QLineEdit;
        field->setAccessibleName(name);
        field->setPlaceholderText(placeholder);
        auto* label = new QLabel(name);
        label->setBuddy(field);
        filters->addWidget(label);
        filters->addWidget(field, 1);
        connect(field, &QLineEdit::returnPressed, this, &frm_audit_trail::applyFilters);
        return field;
    };
    from_ = add(QStringLiteral("From"), QStringLiteral("DD/MM/YY"));
    to_ = add(QStringLiteral("To"), QStringLiteral("DD/MM/YY"));
    fieldOrTable_ = add(QStringLiteral("Field or table"), QString());
    account_ = add(QStringLiteral("Account"), QString());
    auto* show = new QPushButton(QStringLiteral("Show"));
    filters->addWidget(show);
    connect(show, &QPushButton::clicked, this, &frm_audit_trail::applyFilters);

    grid_->setObjectName(QStringLiteral("ig_audit_trail"));
    grid_->setAccessibleName(QStringLiteral("Audit trail"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    RecordGridModel& grid = grid_->grid();
    for (const AuditColumn& c : kColumns)
        grid.addColumn({QString::fromLatin1(c.key), QString::fromLatin1(c.title), c.width});
    grid.setLookHook([](int, int, CellLook& look) { look.text = escapedForDisplay(look.text); });

    verdict_->setObjectName(QStringLiteral("lbl_verdict"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV"));
    auto* preview = new QPushButton(QStringLiteral("Print preview"));
    connect(exportCsv, &QPushButton::clicked, this, &frm_audit_trail::Export_CSV);
    connect(preview, &QPushButton::clicked, this, &frm_audit_trail::Print_preview);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(verdict_, 1);
    bottom->addWidget(exportCsv);
    bottom->addWidget(preview);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(1100, 600);
}

const QString& frm_audit_trail::filteredRowsQuery() {
    return kFilteredRows;
}

void frm_audit_trail::Form_Load() {
    applyFilters();
    showVerdict();
    show();
    fieldOrTable_->setFocus();
}

void frm_audit_trail::applyFilters() {
    const auto from = dateBound(from_, 0);
    const auto to = dateBound(to_, 1);
    if (!from || !to)
        return;
    Trap(kScreenName + QStringLiteral("applyFilters")).run([&] {
        auto query = Get_connection().prepare(kFilteredRows);
        query.bindAll({*from, *to, textOrNull(fieldOrTable_), textOrNull(account_)});
        RedrawPause pause(grid_->grid());
        grid_->grid().fill(std::move(query));
    });
}

// The chain is walked on a connection of its own away from the window, which shows its rows
// at once: at a hundred thousand rows the walk takes longer than reading them. The walk starts
// once the window is up, so that it does not compete with showing the rows.
void frm_audit_trail::showVerdict() {
    verdict_->setText(QStringLiteral("Verifying the audit trail..."));
    QTimer::singleShot(0, this, &frm_audit_trail::startVerifying);
}

void frm_audit_trail::startVerifying() {
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher] {
        verdict_->setText(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([path = files::databaseFile()] {
        try {
            sql::Database db = sql::Database::open(path, sql::Database::Mode::OneThread);
            const audit::Verdict verdict = audit::verify(db);
            return verdict.intact()
                       ? QStringLiteral("Audit trail verified: %1 rows").arg(verdict.rows)
                       : QStringLiteral("Audit trail altered at row %1").arg(verdict.alteredAt);
        } catch (const Error& e) {
            return QStringLiteral("Audit trail could not be verified: ") + e.description();
        }
    }));
}

void frm_audit_trail::Export_CSV() {
    const RecordGridModel& grid = grid_->grid();
    csvFileName_ = files::installFolder() + QStringLiteral("audit_trail_") +
                   services().clock->now().toString(QStringLiteral("ddMMyy_HH_mm")) +
                   QStringLiteral(".csv");
    const bool written = Trap(kScreenName + QStringLiteral("Export_CSV")).run([&] {
        QSaveFile file(csvFileName_);
        QString text = csvLine(columnTitles()) + QStringLiteral("\r\n");
        for (int row = 0; row < grid.gridRowCount(); ++row) {
            QStringList fields = rowTexts(grid, row);
            for (QString& field : fields)
                field = formulaSafe(field);
            text += csvLine(fields) + QStringLiteral("\r\n");
        }
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
            throw Error(errnum::FileError,
                        QStringLiteral("The file %1 cannot be written: %2")
                            .arg(QDir::toNativeSeparators(csvFileName_), file.errorString()));
    });
    if (written)
        services().prompter->ask({QStringLiteral("%1 rows written to %2")
                                      .arg(grid.gridRowCount())
                                      .arg(QDir::toNativeSeparators(csvFileName_)),
                                  QStringLiteral("Audit trail"), Icon::Information, Buttons::Ok});
}

void frm_audit_trail::Print_preview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        QPainter painter(p);
        paintRows(painter, *p);
    });
    preview.exec();
}

// One line per row in a fixed-pitch font, cut at the page's width; the column titles head
// every page.
void frm_audit_trail::paintRows(QPainter& painter, QPagedPaintDevice& page) const {
    const RecordGridModel& grid = grid_->grid();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
    painter.setFont(font);
    const QFontMetrics metrics(font, &page);
    const QRect area = page.pageLayout().paintRectPixels(page.logicalDpiX());
    const int lineHeight = metrics.lineSpacing();
    const int linesPerPage = std::max(3, area.height() / lineHeight - 2);
    const auto line = [&](const QStringList& fields, int y) {
        painter.drawText(
            0, y,
            metrics.elidedText(fields.join(QStringLiteral("  ")), Qt::ElideRight, area.width()));
    };
    const QStringList titles = columnTitles();
    int y = lineHeight;
    line({verdict_->text()}, y);
    for (int row = 0; row < grid.gridRowCount(); ++row) {
        if (row % linesPerPage == 0) {
            if (row > 0) {
                page.newPage();
                y = 0;
            }
            line(titles, y += lineHeight);
        }
        line(rowTexts(grid, row), y += lineHeight);
    }
}

QWidget* openAuditTrail(QWidget* owner) {
    auto* screen = new frm_audit_trail(owner);
    screen->Form_Load();
    return screen;
}

} // namespace kr7
