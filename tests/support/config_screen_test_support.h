#pragma once

#include "database.h"
#include "frm_config.h"
#include "test_support.h"

#include <QLabel>
#include <map>

namespace kr7::test {

// Opens the configuration screen on the fixture's database, as the log-on form does.
inline frm_config* openConfig() {
    Open_database();
    openConfigScreen();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* screen = qobject_cast<frm_config*>(w); screen && screen->isVisible())
            return screen;
    return nullptr;
}

inline frm_config* openActiveConfig() {
    return activated(openConfig());
}

// Every stored configuration value, "table.field" (parameters by number) to its text; a
// null reads as "NULL".
using Dump = std::map<QString, QString>;

inline Dump dump(const Fixture& fx) {
    Dump values;
    auto db = fx.openDatabase();
    for (const char* table : {"T_PC_Configuration", "T_PIC_list"}) {
        auto select = db.prepare(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
        while (select.step())
            for (int c = 0; c < select.columnCount(); ++c)
                values[select.columnName(c)] =
                    select.column(c).isNull() ? QStringLiteral("NULL") : select.column(c).toText();
    }
    auto params = db.prepare(QStringLiteral("SELECT PIC_01, PIC_03 FROM T_PIC_Params"));
    while (params.step())
        values[QStringLiteral("param %1").arg(params.columnWhole(0))] = params.column(1).toText();
    return values;
}

// The keys whose values differ between two dumps, with the later value.
inline Dump changes(const Dump& before, const Dump& after) {
    Dump changed;
    for (const auto& [key, value] : after)
        if (before.at(key) != value)
            changed[key] = value;
    return changed;
}

// Clicks a check box on its tick mark: a box spans its row, wider than its caption.
inline void clickBox(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// The prompt line: panel 1 of the status bar.
inline QString promptLine(QWidget* screen) {
    return screen->findChild<QLabel*>(QStringLiteral("StatusBar1_Panel1"))->text();
}

} // namespace kr7::test
