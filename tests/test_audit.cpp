// The audit trail: every write path leaves exactly one row per changed field inside its own
// transaction, and the hash chain finds each kind of tampering at the right row.

#include "audit.h"
#include "common_procs.h"
#include "csv_reader.h"
#include "database.h"
#include "errors.h"
#include "frm_audit_trail.h"
#include "record_grid_view.h"
#include "schema.h"
#include "test_support.h"
#include "trap.h"

#include <QLabel>
#include <QLineEdit>

using namespace kr7;

namespace {

// The trail's rows as "where | table | field | key | old | new" lines; a null cell reads
// "<null>", so that a null and an empty text stay apart.
QString auditRows(const test::Fixture& fx) {
    auto db = fx.openDatabase();
    auto rows = db.prepare(QStringLiteral("SELECT AU_05, AU_06, AU_07, AU_08, AU_09, AU_10 FROM "
                                          "T_Audit_trail ORDER BY AU_01"));
    QStringList lines;
    while (rows.step()) {
        QStringList cells;
        for (int i = 0; i < 6; ++i)
            cells << (rows.columnIsNull(i) ? QStringLiteral("<null>") : rows.columnText(i));
        lines << cells.join(QStringLiteral(" | "));
    }
    return lines.join(u'\n');
}

// Runs a statement past the table's guards, as someone editing the file by hand would.
void tamper(const test::Fixture& fx, const QString& sql) {
    fx.exec(QStringLiteral("DROP TRIGGER T_Audit_trail_no_update"));
    fx.exec(QStringLiteral("DROP TRIGGER T_Audit_trail_no_delete"));
    fx.exec(sql);
}

} // namespace

class TestAudit : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { closeDatabase(); }

    void writePathsRecordEachChangedField_data() {
        QTest::addColumn<std::function<void()>>("write");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, std::function<void()> write, const char* expected) {
            QStringList lines = QString::fromUtf8(expected).split(u'\n', Qt::SkipEmptyParts);
            for (QString& line : lines)
                line.prepend(QStringLiteral("frm_config : txt_test_LostFocus | "));
            QTest::newRow(name) << write << lines.join(u'\n');
        };
        const auto pc = [](const char* field, const Value& v) {
            return std::function<void()>([=] { update_PC_Config_value(field, v); });
        };
        const auto change = [](std::function<void(store::Changes&)> f) {
            return std::function<void()>([=] { store::change(Get_connection(), f); });
        };
        const auto message = [](int number, const char* reference) {
            return store::Record{
                schema::Messages,
                {{"ME_01", Value::whole(number)}, {"ME_02", Value::text(reference)}}};
        };
        row("configuration field", pc("PC_03", Value::text("12.5")),
            "T_PC_Configuration | PC_03 | <null> | 100.0 | 12.5");
        row("same value writes nothing", pc("PC_03", Value::text("100")), "");
        row("text to null", pc("PC_42", Value::null()),
            "T_PC_Configuration | PC_42 | <null> | PV25 | <null>");
        row("null to a date", pc("PC_34", Value::text("05/03/24 10:20")),
            "T_PC_Configuration | PC_34 | <null> | <null> | 2024-03-05 10:20:00");
        row("refused write leaves no row", pc("PC_03", Value::text("x")), "");
        row("message text, by number and reference", change([=](store::Changes& c) {
                c.setField(message(2, "REMOVE_SAMPLE"), "ME_03", Value::text("Take the tube out"));
            }),
            "T_Messages | ME_03 | ME_01 = 2 | Remove sample tube | Take the tube out");
        row("message deleted",
            change([=](store::Changes& c) { c.deleteRecord(message(3, "SCAN_BARCODE"), "ME_02"); }),
            "T_Messages | * | ME_01 = 3 | SCAN_BARCODE | <null>");
        row("message added", change([](store::Changes& c) {
                c.addRecord({schema::Messages, {{"ME_01", Value::whole(90)}}},
                            {{"ME_01", Value::whole(90)}, {"ME_02", Value::text("NEW")}});
            }),
            "T_Messages | ME_01 | ME_01 = 90 | <null> | 90\n"
            "T_Messages | ME_02 | ME_01 = 90 | <null> | NEW");
        row(
            "PIC parameter, both fields", [] { update_PIC_Param_value(10, Value::whole(300)); },
            "T_PIC_Params | PIC_03 | PIC_01 = 10 | 50 | 300\n"
            "T_PIC_Params | PIC_04 | PIC_01 = 10 | 0032 | 012C");
    }
    void writePathsRecordEachChangedField() {
        QFETCH(std::function<void()>, write);
        QFETCH(QString, expected);
        test::Fixture fx;
        Open_database();
        Trap(QStringLiteral("frm_config : txt_test_LostFocus")).run(write);
        QCOMPARE(auditRows(fx), expected);
    }

    void chainFindsTampering_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<qint64>("alteredAt");
        const auto row = [](const char* name, QStringList statements, qint64 at) {
            QTest::newRow(name) << statements << at;
        };
        row("intact", {}, 0);
        row("a value edited", {"UPDATE T_Audit_trail SET AU_10 = '7' WHERE AU_01 = 3"}, 3);
        row("a row deleted", {"DELETE FROM T_Audit_trail WHERE AU_01 = 3"}, 4);
        row("the last row deleted, one forged in its place",
            {"DELETE FROM T_Audit_trail WHERE AU_01 = 5",
             "INSERT INTO T_Audit_trail SELECT 5, AU_02, AU_03, AU_04, AU_05, AU_06, AU_07, "
             "AU_08, AU_09, '1', AU_11 FROM T_Audit_trail WHERE AU_01 = 4"},
            5);
        row("a row inserted",
            {"UPDATE T_Audit_trail SET AU_01 = AU_01 + 10 WHERE AU_01 >= 3",
             "UPDATE T_Audit_trail SET AU_01 = AU_01 - 9 WHERE AU_01 >= 13",
             "INSERT INTO T_Audit_trail SELECT 3, AU_02, AU_03, AU_04, AU_05, AU_06, AU_07, "
             "AU_08, AU_09, AU_10, AU_11 FROM T_Audit_trail WHERE AU_01 = 2"},
            3);
        row("two rows swapped",
            {"UPDATE T_Audit_trail SET AU_01 = 100 WHERE AU_01 = 2",
             "UPDATE T_Audit_trail SET AU_01 = 2 WHERE AU_01 = 3",
             "UPDATE T_Audit_trail SET AU_01 = 3 WHERE AU_01 = 100"},
            2);
    }
    void chainFindsTampering() {
        QFETCH(QStringList, statements);
        QFETCH(qint64, alteredAt);
        test::Fixture fx;
        Open_database();
        for (int i = 1; i <= 5; ++i)
            update_PC_Config_value("PC_03", Value::whole(i));
        if (!statements.isEmpty())
            tamper(fx, statements.takeFirst());
        for (const QString& sql : statements)
            fx.exec(sql);
        auto db = fx.openDatabase();
        const audit::Verdict verdict = audit::verify(db);
        QCOMPARE(verdict.alteredAt, alteredAt);
        if (verdict.intact())
            QCOMPARE(verdict.rows, 5);
    }

    // The guards stop an accidental change; emptying a table records how many went.
    void trailRefusesChangesAndCountsAClearedTable() {
        test::Fixture fx;
        Open_database();
        fx.exec(QStringLiteral("INSERT INTO T_Samples (SA_02) VALUES ('a'), ('b'), ('c')"));
        Trap(QStringLiteral("frm_config : cmd_clear_samples_Click")).run([] {
            store::change(Get_connection(),
                          [](store::Changes& c) { c.emptyTable(schema::Samples); });
        });
        QCOMPARE(auditRows(fx),
                 QStringLiteral("frm_config : cmd_clear_samples_Click | T_Samples | * | <null> | "
                                "3 | <null>"));
        QVERIFY_THROWS_EXCEPTION(Error,
                                 fx.exec(QStringLiteral("UPDATE T_Audit_trail SET AU_09 = 0")));
        QVERIFY_THROWS_EXCEPTION(Error, fx.exec(QStringLiteral("DELETE FROM T_Audit_trail")));
    }

    // Filters narrow the rows, a date that is no date leaves them, hostile texts show
    // escaped, the CSV holds the rows shown, and a tampered chain is named at the bottom.
    void viewerFiltersExportsAndVerifies() {
        test::Fixture fx;
        Open_database();
        fx.clock.set(test::at(2024, 3, 5, 10));
        update_PC_Config_value("PC_03", Value::whole(1));
        fx.clock.set(test::at(2024, 3, 6, 23, 59));
        update_PIC_Param_value(10, Value::whole(300));
        fx.clock.set(test::at(2024, 3, 7, 8));
        update_PC_Config_value("PC_42", Value::text("=1+1\nx"));

        auto* viewer = qobject_cast<frm_audit_trail*>(openAuditTrail(nullptr));
        const auto grid = viewer->findChild<RecordGridView*>("ig_audit_trail");
        const auto field = [&](const char* name) {
            return test::fieldNamed(viewer, QLatin1String(name));
        };
        const auto shown = [&] { return grid->grid().gridRowCount(); };
        QCOMPARE(shown(), 4);
        QCOMPARE(grid->grid().cellText(0, 0), QStringLiteral("4"));
        QCOMPARE(grid->model()->index(0, 9).data().toString(), QStringLiteral("=1+1\\nx"));
        QTRY_COMPARE(viewer->findChild<QLabel*>("lbl_verdict")->text(),
                     QStringLiteral("Audit trail verified: 4 rows"));

        field("Field or table")->setText("pic_params");
        viewer->applyFilters();
        QCOMPARE(shown(), 2);
        field("Field or table")->clear();
        field("From")->setText("06/03/24");
        field("To")->setText("06/03/24");
        viewer->applyFilters();
        QCOMPARE(shown(), 2);
        field("To")->setText("31/02/24");
        viewer->applyFilters();
        QCOMPARE(shown(), 2);
        QCOMPARE(field("To")->toolTip(), QStringLiteral("Enter a date as DD/MM/YY"));
        field("From")->clear();
        field("To")->clear();
        field("Account")->setText("nobody at all");
        viewer->applyFilters();
        QCOMPARE(shown(), 0);
        field("Account")->clear();
        viewer->applyFilters();

        viewer->Export_CSV();
        QFile csv(viewer->csvFileName());
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const auto records = test::readCsv(QString::fromUtf8(csv.readAll()));
        QCOMPARE(records.size(), 5);
        QCOMPARE(records[1][9], QStringLiteral("'=1+1\\nx"));
        delete viewer;

        tamper(fx, QStringLiteral("UPDATE T_Audit_trail SET AU_10 = '2' WHERE AU_01 = 2"));
        viewer = qobject_cast<frm_audit_trail*>(openAuditTrail(nullptr));
        QTRY_COMPARE(viewer->findChild<QLabel*>("lbl_verdict")->text(),
                     QStringLiteral("Audit trail altered at row 2"));
        delete viewer;
    }
};

KR7_TEST_MAIN(TestAudit)
#include "test_audit.moc"
