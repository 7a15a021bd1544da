#include "record_screen.h"

#include "database.h"
#include "errors.h"
#include "record_grid_view.h"

#include <QApplication>
#include <QLayout>
#include <QWidget>
#include <algorithm>

namespace kr7 {

int recordCount(const QString& table) {
    auto count = Get_connection().prepare(
        QStringLiteral("SELECT count(*) FROM \"%1\"").arg(schema::findTable(table)->name));
    count.step();
    return int(count.columnWhole(0));
}

double twipsPerPixel(const QWidget* widget) {
    return 1440.0 / widget->logicalDpiX() / fontScale(widget);
}

void sizeForRows(QWidget* window, RecordGridView* grid, int width, int rows) {
    constexpr int kFewestRows = 5;
    constexpr int kMostRows = 20;
    grid->setMinimumHeight(grid->heightForRows(kFewestRows));
    const int gridHint = std::max(grid->sizeHint().height(), grid->minimumHeight());
    const int others = window->layout()->sizeHint().height() - gridHint;
    window->resize(width, others + grid->heightForRows(std::clamp(rows, kFewestRows, kMostRows)));
}

std::optional<Value> changedValue(const QString& table, const QString& field, const Value& current,
                                  const Value& newValue) {
    const schema::Column& column = store::columnOf(table, field);
    Value fitted;
    try {
        fitted = store::fitForField(column, newValue);
    } catch (const Error&) {
        QApplication::beep();
        return std::nullopt;
    }
    if (fitted == store::fromStored(column, current))
        return std::nullopt;
    return fitted;
}

} // namespace kr7
