// The audit trail viewer on the install folder's database (KR7_HOME): its opening (the
// rows, newest first, and the chain's verification) and a filter by field. audit_bench.sh
// makes the database and the sqlite3 shell's baseline and runs this.
//
//   audit_bench --seed N   appends N audit rows, in one transaction
//   audit_bench --query    the viewer's query as sqlite3 shell scripts: all rows, then
//                          the filter, separated by a line "--"
//   audit_bench            the measurements, one "name value" line each

#include "audit.h"
#include "bench_support.h"
#include "database.h"
#include "frm_audit_trail.h"
#include "guarded_application.h"
#include "record_grid_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextStream>

using namespace kr7;
using bench::seconds;

namespace {

const char* const kFilterField = "PIC_03";

void seed(int rows) {
    sql::Database& db = Get_connection();
    const QStringList fields = {"PC_03", "PIC_03", "PIC_04", "ME_03", "CD_09", "LN_03"};
    sql::inWriteTransaction(db, [&] {
        for (int i = 0; i < rows; ++i) {
            const QString& field = fields[i % fields.size()];
            const audit::Place place(
                QStringLiteral("frm_config : txt_params(%1)_LostFocus").arg(i % 97));
            audit::append(db,
                          {audit::Place::current(), QStringLiteral("T_PIC_Params"), field,
                           Value::text(QStringLiteral("PIC_01 = %1").arg(i % 97)),
                           Value::text(QString::number(i)), Value::text(QString::number(i + 1))});
        }
    });
}

QString shellScript(const QString& fieldOrTable) {
    return QStringLiteral(".parameter init\n.parameter set ?1 NULL\n.parameter set ?2 NULL\n"
                          ".parameter set ?3 %1\n.parameter set ?4 NULL\n%2;\n")
        .arg(fieldOrTable.isEmpty() ? QStringLiteral("NULL")
                                    : QStringLiteral("\"'%1'\"").arg(fieldOrTable),
             frm_audit_trail::filteredRowsQuery());
}

} // namespace

int main(int argc, char** argv) {
    const bench::BenchProgram program(argc, argv);
    const QByteArray& mode = program.mode;
    QTextStream out(stdout);
    if (mode == "--seed" && argc > 2) {
        seed(QByteArray(argv[2]).toInt());
        return 0;
    }
    if (mode == "--query") {
        out << shellScript(QString()) << "--\n" << shellScript(QLatin1String(kFilterField));
        return 0;
    }
    const double verify = seconds([] { audit::verify(Get_connection()); });
    QWidget* viewer = nullptr;
    const double open = seconds([&] { viewer = openAuditTrail(nullptr); });
    const double verified =
        open + seconds([&] {
            while (viewer->findChild<QLabel*>("lbl_verdict")->text().startsWith(u"Verifying"))
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        });
    auto* field = viewer->findChildren<QLineEdit*>().at(2);
    field->setText(QLatin1String(kFilterField));
    const double filter = seconds([&] { static_cast<frm_audit_trail*>(viewer)->applyFilters(); });
    out << "rows " << viewer->findChild<RecordGridView*>()->grid().gridRowCount() << Qt::endl;
    out << "open " << open << Qt::endl;
    out << "filter " << filter << Qt::endl;
    out << "verify " << verify << Qt::endl;
    out << "verified " << verified << Qt::endl;
    delete viewer;
    return 0;
}
