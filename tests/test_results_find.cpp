// The results browser's find bar, its column sort and its printout on screen and in PDF,
// each with the exports that follow what the grid then shows.

#include "csv_reader.h"
#include "error_report.h"
#include "results_test_support.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

using namespace kr7;
using test::Result;

namespace {

Result result(const char* barcode, const char* tested, int type = 1, const char* notes = "") {
    Result r;
    r.barcode = QString::fromUtf8(barcode);
    r.tested = QString::fromUtf8(tested);
    r.type = type;
    r.notes = QString::fromUtf8(notes);
    return r;
}

} // namespace

class TestResultsFind : public test::ScreenTest {
    Q_OBJECT

    grid_samples_all* screen = nullptr;

    RecordGridView* view() const { return test::gridOf(screen); }
    RecordGridModel& grid() const { return view()->grid(); }

    void open(const std::vector<Result>& results) {
        test::putResults(*fx, results);
        screen = test::openBrowser();
    }

    QLineEdit* field(const char* accessibleName) const {
        return test::fieldNamed(screen, QLatin1String(accessibleName));
    }

    QString status() const {
        return screen->findChild<QLabel*>(QStringLiteral("lbl_find_status"))->text();
    }

    QStringList barcodesOf(const std::vector<int>& rows) const {
        QStringList barcodes;
        for (const int row : rows)
            barcodes << grid().cellText(row, test::keyColumn(screen, "BARCODE"));
        return barcodes;
    }

    QStringList shownBarcodes() const {
        std::vector<int> rows;
        for (int viewRow = 0; viewRow < grid().rowCount(); ++viewRow)
            rows.push_back(grid().gridRowOf(viewRow));
        return barcodesOf(rows);
    }

    QStringList csvBarcodes() const {
        QFile file(screen->csvFileName());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList barcodes;
        for (const QStringList& record : test::readCsv(QString::fromUtf8(file.readAll())).mid(4))
            barcodes << record.front().mid(1);
        return barcodes;
    }

    void type(const char* accessibleName, const QString& text) {
        QLineEdit* edit = field(accessibleName);
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }

    void clickHeading(const char* key) {
        QHeaderView* header = view()->horizontalHeader();
        const int section = test::keyColumn(screen, key);
        view()->scrollTo(grid().index(0, section));
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                   header->height() / 2));
    }

    // Five results, newest first, the check result hidden by its filter.
    void openFindSample() {
        test::putResults(
            *fx, {result("AB_1%", "2026-03-01 10:00:00"), result("ab.x1", "2026-02-28 23:59:59"),
                  result("X[1]", "2026-02-28 00:00:00", 1, "it's"),
                  result("ab_1%", "2026-02-27 12:00:00", 2), result("P5", "2026-02-26 23:59:59")});
        fx->exec(QStringLiteral("UPDATE T_Samples SET SA_17 = 'Smith', SA_03 = 'seen', "
                                "SA_23 = 'sent' WHERE SA_02 = 'P5'"));
        screen = test::openBrowser();
        QTest::mouseClick(screen->findChild<QCheckBox*>(QStringLiteral("chk_check")),
                          Qt::LeftButton);
    }

  private slots:
    void findSelectsTheShownMatchesOnly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("selected"); // empty: the selection stays as it was
        QTest::addColumn<QString>("said");
        const auto row = [](const char* name, const char* text, const char* from, const char* to,
                            QStringList selected, const char* said) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(from)
                                << QString::fromUtf8(to) << selected << QString::fromUtf8(said);
        };
        row("LIKE characters, any case, hidden row left out", "Ab_1%", "", "", {"AB_1%"},
            "1 of 5 rows match");
        row("pattern characters", ".x", "", "", {"ab.x1"}, "1 of 5 rows match");
        row("bracket", "[", "", "", {"X[1]"}, "1 of 5 rows match");
        row("quote in the notes", "'", "", "", {"X[1]"}, "1 of 5 rows match");
        row("patient", "SMITH", "", "", {"P5"}, "1 of 5 rows match");
        row("user notes", "seen", "", "", {"P5"}, "1 of 5 rows match");
        row("LIMS text", "SENT", "", "", {"P5"}, "1 of 5 rows match");
        row("one whole day", "", "28/02/26", "28/02/26", {"ab.x1", "X[1]"}, "2 of 5 rows match");
        row("open start", "", "", "26/02/26", {"P5"}, "1 of 5 rows match");
        row("text and dates", "1", "27/02/26", "", {"AB_1%", "ab.x1", "X[1]"}, "3 of 5 rows match");
        row("no match", "zz", "", "", {}, "No row matches");
        row("only a hidden row", "", "27/02/26", "27/02/26", {}, "No row matches");
        row("impossible date", "ab", "31/02/24", "", {}, "");
    }

    void findSelectsTheShownMatchesOnly() {
        QFETCH(QString, text);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, selected);
        QFETCH(QString, said);
        openFindSample();
        view()->setCurrentCell(grid().gridRowCount() - 1, 0);
        const std::vector<int> before = view()->selectedRows();
        QTest::keyClick(view(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), field("Find"));
        type("Tested from", from);
        type("Tested to", to);
        type("Find", text);
        QTest::keyClick(field("Find"), Qt::Key_Return);
        QCOMPARE(status(), said);
        QCOMPARE(barcodesOf(view()->selectedRows()),
                 selected.isEmpty() ? barcodesOf(before) : selected);
        const bool wrongDate = said.isEmpty();
        QCOMPARE(field("Tested from")->toolTip(),
                 wrongDate ? QStringLiteral("Enter a date as DD/MM/YY") : QString());
        QCOMPARE(field("Tested from")->styleSheet().contains(u"255, 0, 0"), wrongDate);
    }

    // F3 and Shift+F3 wrap round the matches, the CSV takes the rows found in the order they
    // are sorted in, Esc lets go.
    void foundRowsAreSteppedThroughExportedAndCleared() {
        openFindSample();
        type("Find", QStringLiteral("ab"));
        QTest::keyClick(field("Find"), Qt::Key_Return);
        QCOMPARE(barcodesOf({view()->currentRow()}), QStringList{"AB_1%"});
        QStringList visited;
        for (const auto modifier : {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier}) {
            QTest::keyClick(view(), Qt::Key_F3, modifier);
            visited << barcodesOf({view()->currentRow()});
        }
        QCOMPARE(visited, (QStringList{"ab.x1", "AB_1%", "ab.x1"}));
        clickHeading("BARCODE"); // the rows found stay selected, now in this order
        screen->Export_CSV();
        QCOMPARE(csvBarcodes(), (QStringList{"ab.x1", "AB_1%"}));
        screen->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), screen);
        QTest::keyClick(field("Find"), Qt::Key_Escape);
        QVERIFY(field("Find")->text().isEmpty());
        QVERIFY(view()->selectedRows().empty());
        QVERIFY(status().isEmpty());
    }

    void headingClicksSortThenReverseThenRestore_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("ascending");
        QTest::addColumn<QStringList>("descending");
        // n4's date is written day first, which lists it first as the query orders texts:
        // n4 n1 n2 n3. n3's first result is missing, n4's text is "", the notes b, B, é, none.
        QTest::newRow("numbers") << "PV1_NUMBER" << QStringList{"n2", "n4", "n1", "n3"}
                                 << QStringList{"n1", "n4", "n2", "n3"};
        QTest::newRow("number texts") << "PV1_STRING" << QStringList{"n2", "n1", "n3", "n4"}
                                      << QStringList{"n3", "n1", "n2", "n4"};
        QTest::newRow("dates") << "DATE_TESTED" << QStringList{"n4", "n3", "n2", "n1"}
                               << QStringList{"n1", "n2", "n3", "n4"};
        QTest::newRow("texts ignoring case")
            << "SYSTEM_NOTES" << QStringList{"n1", "n2", "n3", "n4"}
            << QStringList{"n3", "n1", "n2", "n4"};
    }

    void headingClicksSortThenReverseThenRestore() {
        QFETCH(QString, key);
        QFETCH(QStringList, ascending);
        QFETCH(QStringList, descending);
        std::vector<Result> results = {result("n1", "2026-03-01 10:00:00", 1, "b"),
                                       result("n2", "2026-02-28 10:00:00", 1, "B"),
                                       result("n3", "2026-02-01 09:00:00", 2, "\u00e9"),
                                       result("n4", "31/12/25 23:00")};
        results[0].pv1 = Value::floating(10);
        results[1].pv1 = Value::floating(9);
        results[2].pv1 = Value::null();
        results[3].pv1 = Value::floating(9.5);
        results[0].pv1Text = QStringLiteral("10.0");
        results[1].pv1Text = QStringLiteral("9.0");
        results[2].pv1Text = QStringLiteral("12");
        results[3].pv1Text = QString();
        open(results);
        const QByteArray column = key.toLatin1();
        clickHeading(column);
        QCOMPARE(shownBarcodes(), ascending);
        QCOMPARE(view()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        screen->Export_CSV();
        QCOMPARE(csvBarcodes(), ascending);
        clickHeading(column);
        QCOMPARE(shownBarcodes(), descending);
        QTest::mouseClick(screen->findChild<QCheckBox*>(QStringLiteral("chk_check")),
                          Qt::LeftButton);
        descending.removeAll(QStringLiteral("n3"));
        QCOMPARE(shownBarcodes(), descending);
        clickHeading(column);
        QCOMPARE(shownBarcodes(), (QStringList{"n4", "n1", "n2"}));
        QCOMPARE(view()->horizontalHeader()->sortIndicatorSection(), -1);
    }

    // The PDF holds what the plain print prints, and the preview comes up on a computer
    // without a printer, where printing from it reports the missing printer.
    void pdfAndPreviewShowThePlainPrintout() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer");
        open(test::numberedResults(5));
        view()->setCurrentCell(3, 0);
        const QString printed = QDir(fx->folder()).filePath(QStringLiteral("printed.pdf"));
        const QString saved = QDir(fx->folder()).filePath(QStringLiteral("saved.pdf"));
        QString suggested;
        screen->setExportTargets({[&] {
                                      auto printer =
                                          std::make_unique<QPrinter>(QPrinter::HighResolution);
                                      printer->setOutputFormat(QPrinter::PdfFormat);
                                      printer->setOutputFileName(printed);
                                      return printer;
                                  },
                                  nullptr,
                                  [&](QWidget*, const QString& name) {
                                      suggested = name;
                                      return saved;
                                  }});
        screen->print_details();
        QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("cmd_save_pdf")),
                          Qt::LeftButton);
        QCOMPARE(suggested,
                 QDir(fx->folder()).filePath(QStringLiteral("samples_050326_10_30.pdf")));
        QVERIFY(test::pdfText(saved).simplified().contains(QStringLiteral("B3")));
        QVERIFY(!test::pdfText(saved).simplified().contains(QStringLiteral("B2")));
        QCOMPARE(test::pdfText(saved).simplified(), test::pdfText(printed).simplified());

        ExportTargets none = desktopExportTargets();
        screen->setExportTargets(none);
        QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("cmd_print_preview")),
                          Qt::LeftButton);
        auto* preview = screen->findChild<QDialog*>(QStringLiteral("dlg_print_preview"));
        QVERIFY(preview);
        QTRY_VERIFY(preview->isVisible());
        QTRY_COMPARE(preview->findChild<QPrintPreviewWidget*>()->pageCount(), 1);
        QTest::mouseClick(preview->findChild<QPushButton*>(QStringLiteral("cmd_print")),
                          Qt::LeftButton);
        QCOMPARE(fx->prompter.prompts.size(), 1u);
        QVERIFY(fx->prompter.prompts.front().text.startsWith(
            QStringLiteral("grid_samples_all : print_details")));
        QVERIFY(fx->prompter.prompts.front().text.contains(QStringLiteral("no default printer")));
    }
};

KR7_TEST_MAIN(TestResultsFind)
#include "test_results_find.moc"
