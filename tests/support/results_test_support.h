#pragma once

// What the results browser's tests share: results put on file, the browser opened on them,
// and its grid read by column key.

#include "conversions.h"
#include "database.h"
#include "grid_samples_all.h"
#include "record_grid_view.h"
#include "test_support.h"

#include <QProcess>
#include <QToolBar>

namespace kr7::test {

// One result as the instrument stores it; what a test does not set is an ordinary patient
// result within its limits.
struct Result {
    QString barcode = QStringLiteral("P100");
    int type = 1;
    Value pv1 = Value::floating(1.6);
    Value pv2 = Value::floating(1.4);
    Value runtime = Value::whole(1500);
    QString notes{};
    Value lims = Value::whole(2);
    Value low = Value::floating(1.5);
    Value high = Value::floating(1.72);
    QString pv1Text = QStringLiteral("1.60");
    QString tested = QStringLiteral("2026-03-01 10:00:00");
    QString table = QStringLiteral("T_Samples");
};

inline void putResults(const Fixture& fx, const std::vector<Result>& results) {
    auto db = fx.openDatabase();
    sql::inWriteTransaction(db, [&] {
        for (const Result& r : results) {
            const QString sql =
                r.table == u"T_Samples"
                    ? QStringLiteral("INSERT INTO T_Samples (SA_02, SA_08, SA_11, SA_12, SA_24, "
                                     "SA_15, SA_09, SA_21, SA_22, SA_06, SA_04) VALUES "
                                     "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)")
                    : QStringLiteral("INSERT INTO T_Samples_old (BARCODE, REC_TYPE, PV1_NUMBER, "
                                     "PV2_NUMBER, RUNTIME_STEPS, SYSTEM_NOTES, LIMS_NUM, PV_LOW, "
                                     "PV_HIGH, PV1_STRING, DATE_TESTED) VALUES "
                                     "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
            db.prepare(sql)
                .bindAll({Value::text(r.barcode), Value::whole(r.type), r.pv1, r.pv2, r.runtime,
                          Value::text(r.notes), r.lims, r.low, r.high, Value::text(r.pv1Text),
                          Value::text(r.tested)})
                .run();
        }
    });
}

// Results numbered from the newest: barcode "B<n>", tested a minute apart.
inline std::vector<Result> numberedResults(int count) {
    std::vector<Result> results;
    for (int n = 0; n < count; ++n) {
        Result r;
        r.barcode = QStringLiteral("B%1").arg(n);
        r.tested = conv::storedDateText(at(2026, 3, 1).addSecs(-60 * n));
        results.push_back(r);
    }
    return results;
}

// What a program prints on its standard output.
inline QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pdfText(const QString& path) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

inline void setSpreadsheetLink(const Fixture& fx, int link) {
    fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_45 = %1").arg(link));
}

inline void waitForEveryRow(const grid_samples_all* screen) {
    while (screen->isReading())
        QCoreApplication::processEvents();
}

// The browser with every row read in.
inline grid_samples_all* openBrowser() {
    auto* screen = static_cast<grid_samples_all*>(openResultsBrowser(nullptr));
    waitForEveryRow(screen);
    return activated(screen);
}

// The browser's wait form, a window of its own.
inline QWidget* waitForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == u"frm_Data_Export_Please_Wait")
            return w;
    return nullptr;
}

inline RecordGridView* gridOf(const QWidget* screen) {
    return screen->findChild<RecordGridView*>(QStringLiteral("ig_samples_all"));
}

inline int keyColumn(const QWidget* screen, const char* key) {
    return gridOf(screen)->grid().columnIndex(QString::fromLatin1(key));
}

inline QStringList buttonKeys(const QWidget* screen) {
    QStringList keys;
    for (const QAction* action :
         screen->findChild<QToolBar*>(QStringLiteral("CaptionX1"))->actions())
        keys << action->objectName();
    return keys;
}

} // namespace kr7::test
