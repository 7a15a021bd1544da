// The record grid model: hidden rows and Qt's own model checks. Filling, display patterns,
// selection, edits and the look hook are tested through the screens that use them.

#include "record_grid_model.h"
#include "record_grid_view.h"
#include "sqlite_db.h"
#include "test_support.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QToolTip>

using namespace kr7;

namespace {

sql::Database memoryDatabase(int rows) {
    auto db = sql::Database::open(QStringLiteral(":memory:"), sql::Database::Mode::Create);
    db.exec(QStringLiteral("CREATE TABLE t (a INTEGER, b TEXT, c DOUBLE)"));
    for (int i = 0; i < rows; ++i)
        db.prepare(QStringLiteral("INSERT INTO t VALUES (?1, ?2, ?3)"))
            .bindAll({Value::whole(i),
                      i == 1 ? Value::null() : Value::text(QStringLiteral("r%1").arg(i)),
                      Value::floating(i + 0.5)})
            .run();
    return db;
}

void fillAll(RecordGridModel& grid, sql::Database& db) {
    grid.fill(db.prepare(QStringLiteral("SELECT a, b, c FROM t ORDER BY a")));
}

QStringList viewColumn(const RecordGridModel& grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        texts << grid.data(grid.index(r, column)).toString();
    return texts;
}

} // namespace

class TestGridModel : public QObject {
    Q_OBJECT

  private slots:
    void hiddenRowsLeaveTheViewAndKeepTheirGridNumbers() {
        auto db = memoryDatabase(6);
        RecordGridModel grid;
        fillAll(grid, db);
        QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
        grid.setRedraw(false);
        for (int row : {1, 3, 4})
            grid.setRowVisible(row, false);
        QCOMPARE(resets.count(), 0);
        grid.setRedraw(true);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.gridRowCount(), 6);
        QCOMPARE(viewColumn(grid, 0), (QStringList{"0", "2", "5"}));
        QCOMPARE(grid.viewRowOf(5), 2);
        QCOMPARE(grid.viewRowOf(3), -1);
        QVERIFY(!grid.isRowVisible(4));

        grid.removeGridRow(2); // grid row 5 becomes 4, still shown third
        QCOMPARE(viewColumn(grid, 0), (QStringList{"0", "5"}));
        grid.setRowVisible(3, true); // was row 4
        QCOMPARE(viewColumn(grid, 0), (QStringList{"0", "4", "5"}));
    }

    // Widths drawn for the original's font grow with the grid's; only a column that says so
    // aligns its title like its cells.
    void widthsFollowTheFontAndTitlesAlignOnlyWhenAsked() {
        RecordGridModel grid;
        grid.setWidthScale(1.5);
        grid.addColumn(
            {QStringLiteral("a"), QStringLiteral("A"), 40, true, {.alignment = Qt::AlignRight}});
        grid.addColumn({QStringLiteral("b"),
                        QStringLiteral("B"),
                        40,
                        true,
                        {.alignment = Qt::AlignRight, .alignHeader = true}});
        QCOMPARE(grid.column(0).width, 60);
        QVERIFY(!grid.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).isValid());
        QCOMPARE(grid.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight);
    }

    // A cell too narrow for its text shows the whole text as its tool-tip; one that fits
    // shows none.
    void aCutOffCellShowsItsWholeText() {
        auto db = memoryDatabase(0);
        db.exec(QStringLiteral("INSERT INTO t (b) VALUES ('Holloway-Smithson, Jane'), ('Jo')"));
        RecordGridView view;
        view.grid().addColumn({QStringLiteral("b"), QStringLiteral("B"), 40});
        view.grid().fill(db.prepare(QStringLiteral("SELECT b FROM t")));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto hover = [&view](int row) {
            const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(view.viewport(), &help);
        };
        hover(0);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("Holloway-Smithson, Jane"));
        hover(1);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void passesQtsModelChecks() {
        auto db = memoryDatabase(8);
        RecordGridModel grid;
        QAbstractItemModelTester tester(&grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.addColumn({QStringLiteral("c"), QStringLiteral("C"), 40, true, {.checkBox = true}});
        fillAll(grid, db);
        grid.setEditRequest([](int, int) { return true; });
        grid.setRowVisible(3, false);
        grid.setCellValue(4, 1, Value::text(QStringLiteral("changed")));
        QVERIFY(grid.setData(grid.index(0, 0), Qt::Checked, Qt::CheckStateRole));
        grid.removeGridRow(5);
        grid.removeGridRow(3);
        {
            RedrawPause pause(grid);
            grid.addColumn({QStringLiteral("d"), QStringLiteral("D")});
            for (int row = 0; row < grid.gridRowCount(); row += 2)
                grid.setRowVisible(row, false);
        }
        grid.setColumnStyle(1, {.pattern = QStringLiteral("0.0")});
        grid.clearRows();
        QCOMPARE(grid.rowCount(), 0);
    }
};

KR7_TEST_MAIN(TestGridModel)
#include "test_grid_model.moc"
