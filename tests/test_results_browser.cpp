// The results browser: its caption, the filters, the colours and texts of the cells, the
// tool bar by the spreadsheet link, and the width the user notes take.

#include "install_folder.h"
#include "results_reader.h"
#include "results_test_support.h"
#include "seed.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>

using namespace kr7;
using test::Result;

Q_DECLARE_METATYPE(kr7::Value)

namespace {

const QColor kAmber{255, 204, 0};
const QColor kPink{255, 193, 224};
const QColor kLightCyan{204, 255, 255};
const QColor kLightYellow{255, 255, 128};
const QColor kNone{};

} // namespace

class TestResultsBrowser : public test::ScreenTest {
    Q_OBJECT

    grid_samples_all* screen = nullptr;

    RecordGridModel& grid() const { return test::gridOf(screen)->grid(); }

    void open(const std::vector<Result>& results) {
        test::putResults(*fx, results);
        screen = test::openBrowser();
    }

    // The shown barcodes, in view order.
    QStringList shownBarcodes() const {
        QStringList barcodes;
        const int barcode = test::keyColumn(screen, "BARCODE");
        for (int row = 0; row < grid().rowCount(); ++row)
            barcodes << grid().data(grid().index(row, barcode)).toString();
        return barcodes;
    }

    QVariant cellRole(int row, const char* key, int role) const {
        return grid().data(grid().index(row, test::keyColumn(screen, key)), role);
    }

  private slots:
    // Results moved to the older table and still in the current one, rows repeated within a
    // table, a number stored once whole and once floating, dates missing or shared: the rows
    // read table by table and merged are the query's, in its order, and the browser shows
    // them all.
    void mergedReadingGivesTheQueryRows() {
        auto db = fx->openDatabase();
        seed::appendResults(db, 400, 7, fx->clock.now());
        const QString current = QStringLiteral(
            "SA_17, SA_02, SA_06, SA_18, SA_24, SA_15, SA_03, SA_04, SA_23, SA_31, SA_30, SA_08, "
            "SA_21, SA_22, SA_11, SA_12, SA_19, SA_09");
        const QString old = QStringLiteral(
            "PATIENT_NAME, BARCODE, PV1_STRING, PV2_STRING, RUNTIME_STEPS, SYSTEM_NOTES, "
            "USER_NOTES, DATE_TESTED, LIMS_STR, TESTED_INITIALS, TESTED_NAME, REC_TYPE, PV_LOW, "
            "PV_HIGH, PV1_NUMBER, PV2_NUMBER, PIC_ID, LIMS_NUM");
        const auto copy = [&](const QString& to, const QString& columns, const char* where) {
            return QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM T_Samples WHERE %4")
                .arg(to, columns, current, QLatin1String(where));
        };
        for (const QString& sql :
             {QStringLiteral("UPDATE T_Samples SET SA_04 = NULL WHERE rowid % 23 = 0"),
              QStringLiteral("UPDATE T_Samples SET SA_04 = (SELECT SA_04 FROM T_Samples WHERE "
                             "rowid = 2) WHERE rowid % 17 = 0"),
              copy(QStringLiteral("T_Samples_old"), old, "rowid % 3 = 0"),
              copy(QStringLiteral("T_Samples"), current, "rowid % 5 = 0"),
              QStringLiteral("UPDATE T_Samples_old SET RUNTIME_STEPS = RUNTIME_STEPS + 0.0")})
            fx->exec(sql);
        const auto rowsOf = [](RowCursor&& rows) {
            QStringList all;
            while (rows.step()) {
                QStringList fields;
                for (int field = 0; field < rows.columnCount(); ++field)
                    fields << (rows.columnKind(field) == Value::Kind::Text
                                   ? QString::fromUtf8(rows.columnUtf8(field).data(),
                                                       qsizetype(rows.columnUtf8(field).size()))
                                   : QString::number(rows.columnFloating(field), 'g', 17));
                all << fields.join(u'|');
            }
            return all;
        };
        const QStringList expected = rowsOf(db.prepare(resultsQuery()));
        QVERIFY(expected.size() < 400 * 2);
        QCOMPARE(rowsOf(MergedResults(files::databaseFile())), expected);
        screen = test::openBrowser();
        QCOMPARE(grid().gridRowCount(), expected.size());
    }

    // Columns of unique texts, repeated texts, nulls, whole numbers small and large, and
    // fractions, more rows than a column keeps a list of distinct values for: every cell
    // reads back as the database gave it, also after an edit and a removed row.
    void cellsReadBackAsTheDatabaseGaveThem() {
        const QString sql = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 69999) "
            "SELECT 'B' || i AS code, CASE i % 3 WHEN 0 THEN NULL WHEN 1 THEN 'Repeat' ELSE '' "
            "END AS note, i * 1099511627776 - 5 AS big, i % 300 - 20 AS small, i / 7.0 AS part "
            "FROM n");
        auto db = fx->openDatabase();
        RecordGridModel model;
        model.fill(db.prepare(sql));
        model.setCellValue(0, 1, Value::text(QStringLiteral("Edited")));
        model.removeGridRow(1);
        auto expected = db.prepare(sql);
        for (int read = 0; expected.step(); ++read)
            for (int column = 0; read != 1 && column < expected.columnCount(); ++column)
                if (read > 0 || column != 1)
                    QCOMPARE(model.cellValue(std::max(read - 1, 0), column),
                             expected.column(column));
        QCOMPARE(model.cellValue(0, 1), Value::text(QStringLiteral("Edited")));
    }

    void captionCountsBothTables() {
        auto db = fx->openDatabase();
        seed::appendResults(db, 1230, 1, fx->clock.now());
        std::vector<Result> olds = test::numberedResults(4);
        for (Result& r : olds)
            r.table = QStringLiteral("T_Samples_old");
        open(olds);
        QCOMPARE(screen->windowTitle(), QStringLiteral("All Patient results on file (1,234 recs)"));
        QCOMPARE(grid().gridRowCount(), 1234);
    }

    void eachFilterHidesExactlyItsTypes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QList<int>>("types");
        QTest::newRow("patient") << "chk_patient" << QList<int>{1};
        QTest::newRow("check") << "chk_check" << QList<int>{2};
        QTest::newRow("low") << "chk_low" << QList<int>{3};
        QTest::newRow("high") << "chk_high" << QList<int>{4};
        QTest::newRow("other") << "chk_other" << QList<int>{7, 8, 9, 10, 12};
        QTest::newRow("all: types of no filter stay")
            << "" << QList<int>{1, 2, 3, 4, 7, 8, 9, 10, 12};
    }

    void eachFilterHidesExactlyItsTypes() {
        QFETCH(QString, box);
        QFETCH(QList<int>, types);
        std::vector<Result> results(12); // one of each record type n, barcode "Tn"
        for (std::size_t n = 0; n < results.size(); ++n) {
            results[n].type = int(n) + 1;
            results[n].barcode = QStringLiteral("T%1").arg(n + 1);
        }
        open(results);
        QStringList all = shownBarcodes();
        QCOMPARE(all.size(), 12);
        const QList<QCheckBox*> boxes = box.isEmpty() ? screen->findChildren<QCheckBox*>()
                                                      : QList{screen->findChild<QCheckBox*>(box)};
        const auto clickAll = [&boxes] {
            for (QCheckBox* check : boxes)
                QTest::mouseClick(check, Qt::LeftButton);
        };
        QVERIFY(boxes.first()->isChecked());
        clickAll();
        QStringList expected = all;
        for (int type : types)
            expected.removeAll(QStringLiteral("T%1").arg(type));
        QCOMPARE(shownBarcodes(), expected);
        clickAll();
        QCOMPARE(shownBarcodes(), all);
    }

    // Each case a result of its own, found by its barcode: the cell of the key takes the
    // colour (the background, or the text's where `text` is set).
    void cellColours() {
        struct Case {
            const char* name;
            std::function<void(Result&)> make;
            const char* key;
            QColor colour;
            bool text = false;
        };
        const QColor navy(0, 0, 128);
        std::vector<Case> cases = {
            {"null", [](Result& r) { r.pv1 = Value::null(); }, "PV1_STRING", kAmber},
            {"zero", [](Result& r) { r.pv2 = Value::whole(0); }, "PV2_STRING", kAmber},
            {"above", [](Result& r) { r.pv1 = Value::floating(1.8); }, "PV1_STRING", kPink},
            {"below", [](Result& r) { r.pv1 = Value::floating(1.2); }, "PV1_STRING", kLightCyan},
            {"second, its own value", [](Result& r) { r.pv2 = Value::floating(1.9); }, "PV2_STRING",
             kPink},
            {"no low limit",
             [](Result& r) {
                 r.pv1 = Value::floating(1.2);
                 r.low = Value::null();
             },
             "PV1_STRING", kNone},
            {"calibrant", [](Result& r) { r.type = 2, r.pv1 = Value::null(); }, "PV1_STRING",
             kNone},
            {"code of a calibrant", [](Result& r) { r.type = 3, r.lims = Value::whole(0); },
             "LIMS_STR", kNone},
            {"patient", [](Result&) {}, "BARCODE", navy, true},
            {"check", [](Result& r) { r.type = 2; }, "BARCODE", QColor(0, 128, 0), true},
            {"other 9", [](Result& r) { r.type = 9; }, "BARCODE", QColor(225, 39, 30), true},
            {"notes", [](Result& r) { r.notes = QStringLiteral("Clot"); }, "SYSTEM_NOTES",
             kLightYellow},
        };
        const QList<QColor> byCode = {
            kPink,     kLightYellow,     kNone, kAmber, QColor(204, 255, 204),
            Qt::white, QColor(255, 0, 0)};
        for (int code = 0; code < byCode.size(); ++code)
            cases.push_back({"LIMS code", [code](Result& r) { r.lims = Value::whole(code); },
                             "LIMS_STR", byCode[code]});
        std::vector<Result> results;
        for (std::size_t n = 0; n < cases.size(); ++n) {
            Result r;
            cases[n].make(r);
            r.barcode = QStringLiteral("C%1").arg(n);
            results.push_back(r);
        }
        open(results);
        const QStringList barcodes = shownBarcodes();
        for (std::size_t n = 0; n < cases.size(); ++n) {
            const int row = int(barcodes.indexOf(QStringLiteral("C%1").arg(n)));
            const QVariant colour = cellRole(
                row, cases[n].key, cases[n].text ? Qt::ForegroundRole : Qt::BackgroundRole);
            QVERIFY2(colour.value<QColor>() == cases[n].colour,
                     qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(cases[n].name)).arg(n)));
        }
    }

    void runtimeZeroBlanksTheNumbers() {
        Result stopped;
        stopped.runtime = Value::whole(0);
        Result ran;
        ran.tested = QStringLiteral("2026-02-01 10:00:00");
        open({stopped, ran});
        for (const char* key : {"PV1_NUMBER", "PV2_NUMBER", "RUNTIME"}) {
            QCOMPARE(cellRole(0, key, Qt::DisplayRole).toString(), QString());
            QVERIFY(!cellRole(1, key, Qt::DisplayRole).toString().isEmpty());
        }
        QCOMPARE(cellRole(1, "PV1_NUMBER", Qt::DisplayRole).toString(), QStringLiteral("1.600"));
        QCOMPARE(grid().cellValue(0, test::keyColumn(screen, "PV1_NUMBER")), Value::floating(1.6));
    }

    void buttonsFollowTheSpreadsheetLink_data() {
        QTest::addColumn<int>("link");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("none") << 0 << QStringList{"PlainPrinter"};
        QTest::newRow("Excel") << 1 << QStringList{"Excel", "ExcelPrint"};
        QTest::newRow("OpenOffice") << 2 << QStringList{"OpenOffice", "PlainPrinter"};
        QTest::newRow("unknown") << 7 << QStringList{};
    }
    void buttonsFollowTheSpreadsheetLink() {
        QFETCH(int, link);
        QFETCH(QStringList, keys);
        test::setSpreadsheetLink(*fx, link);
        open({Result{}});
        QCOMPARE(test::buttonKeys(screen), keys);
    }

    void noTwoHeadersAreTheSame() {
        open({Result{}});
        QStringList titles;
        for (int c = 0; c < grid().columnCount(); ++c)
            if (grid().column(c).visible)
                titles << grid().headerData(c, Qt::Horizontal).toString();
        titles.removeDuplicates();
        QCOMPARE(titles.size(), 14);
    }
};

KR7_TEST_MAIN(TestResultsBrowser)
#include "test_results_browser.moc"
