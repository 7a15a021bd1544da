// The calibrant records browser, driven through its grid: the caption, which cells take an
// edit, the drained switch and the dips, each read back from the database.

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

void setTubeCount(test::Fixture& fx, int count) {
    auto db = fx.openDatabase();
    sql::inWriteTransaction(db, [&] {
        for (int n = 0; n < count; ++n)
            db.prepare(
                  QStringLiteral("INSERT INTO T_Calibration_data (CD_02, CD_07) VALUES (?1, 0)"))
                .bind(1, Value::text(QStringLiteral("L%1").arg(n)))
                .run();
    });
}

} // namespace

class TestGridCalibrants : public QObject {
    Q_OBJECT

    std::unique_ptr<test::Fixture> fx;
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
        screen = openCalibrantRecords(nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), screen);
    }

    void typeDips(int row, const QString& text) {
        typeIntoCell(grid(), row, column("CD_09"), text);
    }

  private slots:
    void init() {
        fx = std::make_unique<test::Fixture>();
        Open_database();
    }

    void cleanup() {
        test::deleteTopLevelWindows();
        fx.reset();
    }

    // The browser opens with room for about 20 tubes, and its grid grows with the window.
    void opensTallEnoughAndGrowsWithTheWindow() {
        setTubeCount(*fx, 25);
        open();
        QVERIFY(grid()->viewport()->height() >= 20 * grid()->rowHeight(0));
        const int width = grid()->width();
        screen->resize(screen->width() + 100, screen->height());
        QTRY_COMPARE(grid()->width(), width + 100);
    }

    void captionCountsTheTubes_data() {
        QTest::addColumn<int>("tubes");
        QTest::addColumn<QString>("caption");
        QTest::newRow("none") << 0 << "There are no calibration data records on file";
        QTest::newRow("two") << 2 << "Calibration Data records (2 recs)";
        QTest::newRow("thousands") << 1234 << "Calibration Data records (1,234 recs)";
    }

    void captionCountsTheTubes() {
        QFETCH(int, tubes);
        QFETCH(QString, caption);
        setTubeCount(*fx, tubes);
        open();
        QCOMPARE(screen->windowTitle(), caption);
        QCOMPARE(grid()->grid().gridRowCount(), tubes);
    }

    void rowsShowTheTubesInTheirFormats() {
        setTubes(*fx);
        open();
        const QStringList titles = {"Barcode",  "Last Updated", "Date filled",
                                    "No. dips", "Drained",      "Date drained"};
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(grid()->grid().headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(grid()->grid().cellText(0, column("CD_03")), QStringLiteral("02/02/26 09:00"));
        QCOMPARE(grid()->grid().cellText(1, column("CD_10")), QStringLiteral("03/02/26 09:00"));
        QCOMPARE(grid()->grid().cellText(0, column("CD_09")), QStringLiteral("5"));
    }

    void onlyDipsAndDrainedTakeAnEdit_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("editable");
        for (const char* key : {"CD_02", "CD_03", "CD_04", "CD_10"})
            QTest::newRow(key) << key << false;
        QTest::newRow("CD_09") << "CD_09" << true;
        QTest::newRow("CD_07") << "CD_07" << true;
    }

    void onlyDipsAndDrainedTakeAnEdit() {
        QFETCH(QString, key);
        QFETCH(bool, editable);
        setTubes(*fx);
        open();
        const int c = column(key.toLatin1().constData());
        QCOMPARE(grid()->grid().canEdit(0, c), editable);
        grid()->setCurrentCell(0, c);
        QTest::keyClick(grid(), Qt::Key_F2);
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr,
                 editable && key == u"CD_09");
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
