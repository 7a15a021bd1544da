// The results browser's exports: the CSV file, the workbook read back from its parts, the
// printouts read back from PDF, and the errors of a missing printer, file or program.

#include "csv_reader.h"
#include "error_report.h"
#include "frm_data_export_please_wait.h"
#include "results_export.h"
#include "results_test_support.h"
#include "seed.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace kr7;
using test::Result;

namespace {

QString workbookPart(const QString& path, const QString& part) {
    return test::run(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
}

// The cells of a worksheet by reference ("A1"): each one's text (inline or the number as
// written), and "s:" before an inline string, which no formula is.
QMap<QString, QString> sheetCells(const QString& xml) {
    QMap<QString, QString> cells;
    QXmlStreamReader reader(xml);
    QString current;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"c") {
            current = reader.attributes().value(QLatin1String("r")).toString();
            if (reader.attributes().value(QLatin1String("t")) == u"inlineStr")
                cells[current] = QStringLiteral("s:");
        } else if (reader.isStartElement() && (reader.name() == u"t" || reader.name() == u"v")) {
            cells[current] += reader.readElementText();
        }
    }
    return cells;
}

} // namespace

class TestResultsExport : public QObject {
    Q_OBJECT

    std::unique_ptr<test::Fixture> fx;
    grid_samples_all* screen = nullptr;
    QStringList opened;
    QString pdfPath;

    void open(const std::vector<Result>& results) {
        test::putResults(*fx, results);
        screen = test::openBrowser();
        pdfPath = QDir(fx->folder()).filePath(QStringLiteral("printout.pdf"));
        screen->setExportTargets({[this] {
                                      auto printer =
                                          std::make_unique<QPrinter>(QPrinter::HighResolution);
                                      printer->setOutputFormat(QPrinter::PdfFormat);
                                      printer->setOutputFileName(pdfPath);
                                      return printer;
                                  },
                                  [this](const QUrl& url) {
                                      opened << url.toLocalFile();
                                      return true;
                                  }});
    }

    void select(const QList<int>& rows) {
        RecordGridView* view = test::gridOf(screen);
        for (int row : rows)
            view->selectionModel()->select(view->grid().index(view->grid().viewRowOf(row), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void hideChecks() {
        QTest::mouseClick(screen->findChild<QCheckBox*>(QStringLiteral("chk_check")),
                          Qt::LeftButton);
    }

    QList<QStringList> csvRecords() const {
        QFile file(screen->csvFileName());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return test::readCsv(QString::fromUtf8(file.readAll()));
    }

    // The lines of the CSV file after its four heading lines.
    QList<QStringList> csvRows() const { return csvRecords().mid(4); }

    QMap<QString, QString> workbookCells() const {
        return sheetCells(
            workbookPart(opened.value(0), QStringLiteral("xl/worksheets/sheet1.xml")));
    }

    // Results B0 to B5, newest first, of which B1 and B4 are CHECK runs.
    std::vector<Result> sixResults() const {
        auto results = test::numberedResults(6);
        results[1].type = results[4].type = 2;
        return results;
    }

  private slots:
    void init() {
        fx = std::make_unique<test::Fixture>();
        Open_database();
        opened.clear();
    }

    void cleanup() {
        for (const QString& path : opened)
            QFile::remove(path);
        test::deleteTopLevelWindows();
        fx.reset();
    }

    // All rows, those hidden by a filter included, or the selected ones only.
    void csvTakesTheRowsToProcessHiddenOnesIncluded() {
        open(sixResults());
        const auto written = [this] {
            screen->Export_CSV();
            QStringList barcodes;
            for (const QStringList& row : csvRows())
                barcodes << row.value(0);
            return barcodes;
        };
        hideChecks();
        QCOMPARE(written(), (QStringList{"'B0", "'B1", "'B2", "'B3", "'B4", "'B5"}));
        select({5, 0, 3});
        QCOMPARE(written(), (QStringList{"'B0", "'B3", "'B5"}));
        QCOMPARE(fx->prompter.prompts.size(), 0u);
    }

    void csvFileLayout() {
        Result r;
        r.barcode = QStringLiteral("000123");
        r.notes = QStringLiteral("Clot, \"large\"");
        r.runtime = Value::whole(1520);
        r.pv1Text = QStringLiteral("1.61");
        r.tested = QStringLiteral("2026-03-04 09:07:00");
        Result formula;
        formula.notes = QStringLiteral("=HYPERLINK(\"x\")");
        formula.tested = QStringLiteral("2026-03-03 09:07:00");
        open({r, formula});
        QCOMPARE(QFileInfo(screen->csvFileName()).fileName(),
                 QStringLiteral("samples_050326_10_30.csv"));
        QCOMPARE(QFileInfo(screen->csvFileName()).absolutePath(),
                 QDir(fx->folder()).absolutePath());
        screen->Export_CSV();
        QFile file(screen->csvFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("All Patient results on file\r\nHalvik KR7 records at "));
        QCOMPARE(bytes.count("\r\n"), 6);
        const QList<QStringList> records = csvRecords();
        QCOMPARE(records[2], QStringList{QString()});
        QCOMPARE(records[3], (QStringList{"Barcode", "PV25", "Time", "Runtime", "System Notes"}));
        QCOMPARE(records[4],
                 (QStringList{"'000123", "1.61", "04/03/26 09:07", "1520", "Clot, \"large\""}));
        QCOMPARE(records[5].value(4), QStringLiteral("'=HYPERLINK(\"x\")"));
        QCOMPARE(records[5].size(), 5);
    }

    void csvStopsAtSixtyThousandRows() {
        auto db = fx->openDatabase();
        seed::appendResults(db, kExportRowLimit + 3, 1, fx->clock.now());
        open({});
        screen->Export_CSV();
        const QList<QStringList> rows = csvRows();
        QCOMPARE(rows.size(), kExportRowLimit);
        RecordGridModel& grid = test::gridOf(screen)->grid();
        QCOMPARE(rows.last().value(0),
                 u'\'' + grid.cellText(kExportRowLimit - 1, test::keyColumn(screen, "BARCODE")));
    }

    void workbookHoldsTheVisibleRowsUnderTheirTitles() {
        auto results = sixResults();
        results[0].barcode = QStringLiteral("000123");
        results[0].notes = QStringLiteral("=1+2");
        results[2].tested = QStringLiteral("2026-03-01 00:00:00"); // B2 is the newest
        open(results);
        hideChecks();
        screen->ExportGrid(false);
        QCOMPARE(fx->prompter.prompts.size(), 0u);
        QCOMPARE(opened.size(), 1);
        const auto cells = workbookCells();
        QCOMPARE(cells["A1"], QStringLiteral("s:All Patient results on file"));
        QVERIFY(cells["A2"].startsWith(QStringLiteral("s:Halvik KR7 records at ")));
        QStringList titles;
        for (QChar column = u'A'; column <= u'N'; column = QChar(column.unicode() + 1))
            titles << cells[column + QStringLiteral("3")].mid(2);
        QCOMPARE(titles, QStringList({"Barcode", "PV25", "PV37", "Runtime", "System Notes",
                                      "Patient", "User Notes", "Time", "LIMS", "Initials", "Name",
                                      "KR7 no.", "PV25", "PV37"}));
        QCOMPARE(cells["A4"], QStringLiteral("s:000123"));
        QCOMPARE(cells["A5"], QStringLiteral("s:B2"));
        QCOMPARE(cells["A6"], QStringLiteral("s:B3")); // B1 and B4 are hidden
        QCOMPARE(cells["A7"], QStringLiteral("s:B5"));
        QVERIFY(!cells.contains("A8"));
        QCOMPARE(cells["B4"].toDouble(), 1.6);
        QCOMPARE(cells["E4"], QStringLiteral("s:=1+2"));
        const QString xml =
            workbookPart(opened.value(0), QStringLiteral("xl/worksheets/sheet1.xml"));
        for (const char* setUp : {"<oddFooter>&amp;LHalvik KR7 records at &amp;CPage "
                                  "&amp;P&amp;R&amp;D &amp;T</oddFooter>",
                                  "<pageSetUpPr fitToPage=\"1\"/>", "fitToHeight=\"9\"",
                                  "<printOptions gridLines=\"1\"/>"})
            QVERIFY2(xml.contains(QLatin1String(setUp)), setUp);
    }

    void printDetailsLinesAndDashes() {
        auto results = test::numberedResults(7);
        results[5].barcode.clear(); // skipped, but counted: no dashes after the 6th row
        open(results);
        screen->print_details();
        QCOMPARE(fx->prompter.prompts.size(), 0u);
        const QString text = test::pdfText(pdfPath);
        QVERIFY(text.contains(QStringLiteral("All Patient results on file")));
        QVERIFY(QRegularExpression(QStringLiteral("Barcode +PV25 +Time")).match(text).hasMatch());
        QVERIFY(
            QRegularExpression(QStringLiteral("B0 +1.60 +01/03/26 00:00")).match(text).hasMatch());
        QVERIFY(!text.contains(QStringLiteral("B5")));
        QCOMPARE(text.count(QString(70, u'-')), 1);
        QCOMPARE(text.count(QRegularExpression(QStringLiteral("\\bB\\d\\b"))), 6);
    }

    void failuresAreReportedAndTheWindowComesBack_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const auto row = [](const char* name, const char* action, const char* handler,
                            const char* description) {
            QTest::newRow(name) << action << handler << description;
        };
        row("no printer", "print", "print_details", "no default printer");
        row("no printer for the sheet", "sheet print", "ExportGrid ", "no default printer");
        row("CSV not writable", "csv", "Export_CSV", "cannot be written");
        row("no spreadsheet program", "show", "ExportGrid ", "No program");
    }

    void failuresAreReportedAndTheWindowComesBack() {
        QFETCH(QString, action);
        QFETCH(QString, name);
        QFETCH(QString, description);
        open(sixResults());
        ExportTargets targets = desktopExportTargets();
        targets.openDocument = [](const QUrl&) { return false; };
        if (action.contains(u"print") && !QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer");
        screen->setExportTargets(targets);
        if (action == u"csv")
            QVERIFY(QDir().mkpath(screen->csvFileName()));
        if (action == u"print")
            screen->print_details();
        else if (action == u"csv")
            screen->Export_CSV();
        else
            screen->ExportGrid(action == u"sheet print");
        QCOMPARE(fx->prompter.prompts.size(), 1u);
        const Prompt& prompt = fx->prompter.prompts.front();
        QCOMPARE(prompt.title, kErrorBoxTitle);
        QVERIFY2(prompt.text.startsWith(QStringLiteral("grid_samples_all : ") + name) &&
                     prompt.text.contains(description),
                 qPrintable(prompt.text));
        QVERIFY(test::gridOf(screen)->isEnabled());
        QVERIFY(!test::waitForm()->isVisible());
        if (action == u"show") { // kept beside the CSV file, under its stamp
            const QString kept = QDir(fx->folder()).filePath("samples_050326_10_30.xlsx");
            QVERIFY(!workbookPart(kept, QStringLiteral("xl/worksheets/sheet1.xml")).isEmpty());
            QVERIFY(prompt.text.contains(QDir::toNativeSeparators(kept)));
        }
    }

    // The whole browser is disabled and cannot be closed while an action runs, and actions
    // asked for meanwhile are ignored; the wait form, a window of its own, stays usable.
    void anActionRunsAloneInTheDisabledWindow() {
        test::setSpreadsheetLink(*fx, 1);
        open(sixResults());
        int shown = 0;
        bool enabled = true, toolBarEnabled = true, closed = true, formUsable = false;
        screen->setExportTargets({desktopExportTargets().printer, [&](const QUrl& url) {
                                      opened << url.toLocalFile();
                                      if (++shown > 1)
                                          return true;
                                      QWidget* form = test::waitForm();
                                      formUsable = form && form->isVisible() && form->isEnabled() &&
                                                   !screen->isAncestorOf(form);
                                      auto* bar = screen->findChild<QToolBar*>("CaptionX1");
                                      enabled = screen->isEnabled();
                                      toolBarEnabled = bar->isEnabled();
                                      for (QAction* action : bar->actions())
                                          action->trigger();
                                      screen->Export_CSV();
                                      closed = screen->close();
                                      return true;
                                  }});
        screen->ExportGrid(false);
        QCOMPARE(shown, 1);
        QVERIFY(!QFile::exists(screen->csvFileName()));
        QVERIFY(!enabled);
        QVERIFY(!toolBarEnabled);
        QVERIFY(!closed);
        QVERIFY(formUsable);
        QVERIFY(screen->isEnabled());
        QCOMPARE(fx->prompter.prompts.size(), 0u);
    }

    void progressIsWrittenWhenTheFormIsDrawn() {
        frm_Data_Export_Please_Wait form(nullptr);
        const auto* progress = form.findChild<QLabel*>("lbl_progress");
        form.rowDone(500, 600);
        QCOMPARE(progress->text(), QStringLiteral("Record 500 of 600"));
        form.rowDone(600, 600);
        QCOMPARE(progress->text(), QStringLiteral("Record 600 of 600"));
    }
};

KR7_TEST_MAIN(TestResultsExport)
#include "test_results_export.moc"
