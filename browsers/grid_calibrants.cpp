#include "grid_calibrants.h"

#include "clock.h"
#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "record_grid_view.h"
#include "record_screen.h"
#include "schema.h"
#include "services.h"
#include "trap.h"

#include <QVBoxLayout>
#include <algorithm>

namespace kr7 {

namespace {

const QString kScreenName = QStringLiteral("grid_calibrants : ");
const QString kDate = QStringLiteral("dd/mm/yy hh:mm");

std::vector<GridColumn> calibrantColumns() {
    const CellStyle date{.pattern = kDate};
    const CellStyle dips{.background = kEditablePaleGreen,
                         .alignment = Qt::AlignCenter,
                         .pattern = QStringLiteral("0"),
                         .alignHeader = true};
    const CellStyle drained{.background = kEditablePaleGreen, .checkBox = true};
    return {{QStringLiteral("CD_02"), QStringLiteral("Barcode"), 170},
            {QStringLiteral("CD_03"), QStringLiteral("Last Updated"), 100, true, date},
            {QStringLiteral("CD_04"), QStringLiteral("Date filled"), 100, true, date},
            {QStringLiteral("CD_09"), QStringLiteral("No. dips"), 68, true, dips},
            {QStringLiteral("CD_07"), QStringLiteral("Drained"), 60, true, drained},
            {QStringLiteral("CD_10"), QStringLiteral("Date drained"), 100, true, date}};
}

const QStringList kEditableKeys = {QStringLiteral("CD_09"), QStringLiteral("CD_07")};

constexpr int kMostDips = 9999;

// A count of dips: a whole number from 0 to 9999 and nothing else, no sign, no fraction.
bool isDipCount(const Value& typed) {
    const QString text = typed.toText().trimmed();
    bool whole = false;
    const int dips = text.toInt(&whole);
    return whole && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }) &&
           dips <= kMostDips;
}

int tubeCount() {
    return recordCount(schema::Calibration_data);
}

// The first record of the barcode in the order of the list, as the grid shows them.
store::Record tubeRecord(const QString& barcode) {
    return {schema::Calibration_data,
            {{QStringLiteral("CD_02"), Value::text(barcode)}},
            QStringLiteral("CD_03")};
}

// The drained flag, the date drained and the dips, as stored.
struct DrainedState {
    Value drained, dateDrained, dips;
};

// Writes the dips; false when the tube is not on file.
bool writeDips(const QString& barcode, const Value& dips) {
    return store::change(Get_connection(), [&](store::Changes& changes) {
        const store::Record tube = tubeRecord(barcode);
        if (!changes.exists(tube))
            return false;
        changes.setField(tube, QStringLiteral("CD_09"), dips);
        return true;
    });
}

// A drained tube is dated now; an undrained one has no date and no dips taken.
std::optional<DrainedState> writeDrained(const QString& barcode, const Value& drained) {
    sql::Database& db = Get_connection();
    return store::change(db, [&](store::Changes& changes) -> std::optional<DrainedState> {
        const store::Record tube = tubeRecord(barcode);
        if (!changes.exists(tube))
            return std::nullopt;
        const bool isDrained = drained.asYesNo();
        changes.setField(tube, QStringLiteral("CD_07"), drained);
        changes.setField(tube, QStringLiteral("CD_10"),
                         isDrained ? Value::date(services().clock->now()) : Value::null());
        if (!isDrained)
            changes.setField(tube, QStringLiteral("CD_09"), Value::whole(0));
        auto read = db.prepare(QStringLiteral("SELECT CD_07, CD_10, CD_09 FROM T_Calibration_data "
                                              "WHERE CD_02 = ?1 ORDER BY CD_03, rowid LIMIT 1"));
        read.bind(1, Value::text(barcode));
        read.step();
        return DrainedState{read.column(0), read.column(1), read.column(2)};
    });
}

} // namespace

grid_calibrants::grid_calibrants(QWidget* owner)
    : QWidget(owner, Qt::Window), ig_calibrants_(new RecordGridView) {
    setObjectName(QStringLiteral("grid_calibrants"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Calibrants"));
    ig_calibrants_->setObjectName(QStringLiteral("ig_calibrants"));
    ig_calibrants_->setAccessibleName(QStringLiteral("Calibrants"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ig_calibrants_, 1);
    RecordGridModel& grid = ig_calibrants_->grid();
    grid.setEditRequest(
        [&grid](int, int column) { return kEditableKeys.contains(grid.column(column).key); });
    grid.setBeforeCommit([this](int row, int column, const Value& newValue) {
        return ig_calibrants_BeforeCommitEdit(row, column, newValue);
    });
}

void grid_calibrants::Form_Load() {
    const Trap trap(kScreenName + QStringLiteral("form_load"));
    const int count = trap.value<int>(tubeCount, 0);
    if (count == 0) {
        setWindowTitle(QStringLiteral("There are no calibration data records on file"));
    } else {
        setWindowTitle(QStringLiteral("Calibration Data records (") +
                       conv::formatNumber(count, u"#,###") + QStringLiteral(" recs)"));
        trap.run([this] { layOutGrid(); });
    }
    show();
    ig_calibrants_->setFocus();
}

void grid_calibrants::layOutGrid() {
    RecordGridModel& grid = ig_calibrants_->grid();
    {
        RedrawPause pause(grid);
        if (grid.columnCount() == 0)
            for (GridColumn& column : calibrantColumns())
                grid.addColumn(std::move(column));
        grid.fill(Get_connection().prepare(
            QStringLiteral("SELECT * FROM T_Calibration_data ORDER BY CD_03")));
    }
    const double tpp = twipsPerPixel(this);
    const double gridWidthTwips = grid.visibleColumnsWidth() * tpp + 340;
    sizeForRows(this, ig_calibrants_, int((gridWidthTwips + 140) / tpp), grid.gridRowCount());
}

std::optional<Value> grid_calibrants::ig_calibrants_BeforeCommitEdit(int row, int column,
                                                                     const Value& newValue) {
    RecordGridModel& grid = ig_calibrants_->grid();
    const QString field = grid.column(column).key;
    if (field == u"CD_09" && !isDipCount(newValue)) {
        services().prompter->ask(
            {QStringLiteral("Valid range 0-9999"), kProgramTitle, Icon::Information, Buttons::Ok});
        return std::nullopt;
    }
    const auto value =
        changedValue(schema::Calibration_data, field, grid.cellValue(row, column), newValue);
    if (!value)
        return std::nullopt;
    const Trap trap(kScreenName + QStringLiteral("ig_calibrants_BeforeCommitEdit"));
    const QString barcode = grid.cellText(row, grid.columnIndex(u"CD_02"));
    if (field == u"CD_09") {
        bool written = false;
        trap.run([&] { written = writeDips(barcode, *value); });
        return written ? value : std::nullopt;
    }
    std::optional<DrainedState> state;
    trap.run([&] { state = writeDrained(barcode, *value); });
    if (!state)
        return std::nullopt;
    grid.setCellValue(row, grid.columnIndex(u"CD_10"), state->dateDrained);
    grid.setCellValue(row, grid.columnIndex(u"CD_09"), state->dips);
    return state->drained;
}

// A cell editor still open when the window goes loses its focus while the window's children
// are deleted, and would commit into a screen already half destroyed.
grid_calibrants::~grid_calibrants() {
    ig_calibrants_->grid().setBeforeCommit(nullptr);
    ig_calibrants_->grid().setEditRequest(nullptr);
}

QWidget* openCalibrantRecords(QWidget* owner) {
    auto* screen = new grid_calibrants(owner);
    screen->Form_Load();
    return screen;
}

} // namespace kr7
