// The calibrant records browser, driven through its grid: which cells take an edit, the
// drained switch and the dips, each read back from the database.

#include "database.h"
#include "grid_calibrants.h"
#include "grid_editing.h"
#include "record_grid_view.h"
#include "test_support.h"

#include <QApplication>
#include <QLineEdit>

using namespace kr7;

namespace {

// Two tubes: C100 filled and used, H200 drained.
void setTubes(test::Fixture& fx) {
    fx.exec(QStringLiteral(
        "INSERT INTO T_Calibration_data (CD_02, CD_03, CD_04, CD_07, CD_09, CD_10) VALUES "
        "('C100', '2026-02-02 09:00:00', '2026-02-01 08:00:00', 0, 5, NULL), "
        "('H200', '2026-02-03 09:00:00', '2026-02-01 08:30:00', 1, 0, '2026-02-03 09:00:00');"
        "CREATE TABLE writes (n); CREATE TRIGGER counted AFTER UPDATE ON T_Calibration_data "
        "BEGIN INSERT INTO writes VALUES (1); END"));
}

} // namespace

class TestGridCalibrants : public test::ScreenTest {
    Q_OBJECT

    QWidget* screen = nullptr;

    RecordGridView* grid() const {
        return screen->findChild<RecordGridView*>(QStringLiteral("ig_calibrants"));
    }
    int column(const char* key) const {
        return grid()->grid().columnIndex(QString::fromLatin1(key));
    }
    Value tube(const QString& field, const char* barcode = "C100") const {
        return fx->query(QStringLiteral("SELECT %1 FROM T_Calibration_data WHERE CD_02 = '%2'")
                             .arg(field, QLatin1String(barcode)));
    }
    qint64 writes() const {
        return fx->query(QStringLiteral("SELECT count(*) FROM writes")).asWhole();
    }

    void open() {
        screen = test::activated(openCalibrantRecords(nullptr));
        QVERIFY(screen);
    }

    void typeDips(int row, const QString& text) {
        typeIntoCell(grid(), row, column("CD_09"), text);
    }

  private slots:
    // The browser opens with room for about 20 tubes, and its grid grows with the window.
    void opensTallEnoughAndGrowsWithTheWindow() {
        fx->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                "WHERE i < 25) INSERT INTO T_Calibration_data (CD_02, CD_07) "
                                "SELECT 'L' || i, 0 FROM n"));
        open();
        QVERIFY(grid()->viewport()->height() >= 20 * grid()->rowHeight(0));
        const int width = grid()->width();
        screen->resize(screen->width() + 100, screen->height());
        QTRY_COMPARE(grid()->width(), width + 100);
    }

    // Only the dips take typing; the drained switch takes a click; the barcode neither.
    void onlyDipsAndDrainedTakeAnEdit() {
        setTubes(*fx);
        open();
        for (const char* key : {"CD_02", "CD_09", "CD_07"}) {
            const int c = column(key);
            QCOMPARE(grid()->grid().canEdit(0, c), key != std::string_view("CD_02"));
            grid()->setCurrentCell(0, c);
            QTest::keyClick(grid(), Qt::Key_F2);
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QCOMPARE(editor != nullptr, key == std::string_view("CD_09"));
            if (editor)
                QTest::keyClick(editor, Qt::Key_Escape);
        }
    }

    void drainedSetsTheDateAndUndrainedClearsTheDips() {
        setTubes(*fx);
        open();
        RecordGridModel& model = grid()->grid();
        grid()->setFocus();
        grid()->setCurrentCell(0, column("CD_07"));
        QTest::keyClick(grid(), Qt::Key_Space);
        QCOMPARE(tube("CD_07").asWhole(), 1);
        QCOMPARE(tube("CD_10").asText(), QStringLiteral("2026-03-05 10:30:00"));
        QCOMPARE(tube("CD_09").asWhole(), 5);
        QCOMPARE(model.cellText(0, column("CD_10")), QStringLiteral("05/03/26 10:30"));

        QTest::keyClick(grid(), Qt::Key_Space);
        QCOMPARE(tube("CD_07").asWhole(), 0);
        QVERIFY(tube("CD_10").isNull());
        QCOMPARE(tube("CD_09").asWhole(), 0);
        QCOMPARE(model.cellText(0, column("CD_10")), QString());
        QCOMPARE(model.cellText(0, column("CD_09")), QStringLiteral("0"));
        QCOMPARE(model.data(model.index(0, column("CD_07")), Qt::CheckStateRole),
                 QVariant(Qt::Unchecked));
        QCOMPARE(tube("CD_03").asText(), QStringLiteral("2026-02-02 09:00:00"));
    }

    void dipsAreWrittenOnlyWhenAValidChange_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<int>("writes");
        QTest::newRow("same") << "5" << qint64(5) << 0;
        QTest::newRow("changed") << "7" << qint64(7) << 1;
        QTest::newRow("highest") << "9999" << qint64(9999) << 1;
        for (const char* refused : {"abc", "-5", "2.5", "10000", " "})
            QTest::addRow("refused \"%s\"", refused) << refused << qint64(5) << 0;
    }

    // A refused count is named by its range in a box, and the old one stays.
    void dipsAreWrittenOnlyWhenAValidChange() {
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        QFETCH(int, writes);
        setTubes(*fx);
        open();
        typeDips(0, typed);
        QCOMPARE(tube("CD_09").asWhole(), stored);
        QCOMPARE(this->writes(), writes);
        QCOMPARE(grid()->grid().cellText(0, column("CD_09")), QString::number(stored));
        const bool refused = stored == 5 && typed != u"5";
        QCOMPARE(fx->prompter.prompts.size(), refused ? 1u : 0u);
        if (refused) {
            QCOMPARE(fx->prompter.prompts[0].text, QStringLiteral("Valid range 0-9999"));
            QCOMPARE(fx->prompter.prompts[0].title, QStringLiteral("KR7 Software"));
        }
    }

    void barcodeGoneMeanwhileWritesNothing() {
        setTubes(*fx);
        open();
        fx->exec(QStringLiteral("DELETE FROM T_Calibration_data WHERE CD_02 = 'C100'"));
        typeDips(0, QStringLiteral("9"));
        QCOMPARE(writes(), 0);
        QCOMPARE(grid()->grid().cellText(0, column("CD_09")), QStringLiteral("5"));
        QCOMPARE(fx->prompter.prompts.size(), 0u);
    }
};

KR7_TEST_MAIN(TestGridCalibrants)
#include "test_grid_calibrants.moc"
