#pragma once

#include <QString>
#include <span>
#include <vector>

namespace kr7::sql {
class Database;
}

// Every table and field of the shared database, declared once. The tool that creates
// databases, the store's type conversions and the tests all read this one list.
namespace kr7::schema {

enum class FieldType { YesNo, Date, Whole, Floating, Text };

struct Column {
    QString name;
    FieldType type;
    int size = 0; // text only: the most characters the field holds; 0 for a memo (no limit)
};

struct Table {
    QString name;
    std::vector<Column> columns;
    const Column* find(QStringView column) const;
};

std::span<const Table> tables();
const Table* findTable(QStringView name);

// Table names used by the program.
inline const QString PC_Configuration = QStringLiteral("T_PC_Configuration");
inline const QString PIC_list = QStringLiteral("T_PIC_list");
inline const QString PIC_Params = QStringLiteral("T_PIC_Params");
inline const QString Messages = QStringLiteral("T_Messages");
inline const QString Samples = QStringLiteral("T_Samples");
inline const QString Samples_old = QStringLiteral("T_Samples_old");
inline const QString Samples_historical = QStringLiteral("Samples_historical");
inline const QString Calibration_data = QStringLiteral("T_Calibration_data");
inline const QString Labels_wanted = QStringLiteral("T_Labels_wanted");

// The indexes that let the results be read newest first without sorting them all; the
// instrument's program does not see them.
void addResultDateIndexes(sql::Database& db);

// Creates every table (and its indexes) in an empty database.
void create(sql::Database& db);

} // namespace kr7::schema
