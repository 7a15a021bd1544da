#pragma once

#include "schema.h"

#include <QString>
#include <span>

// The 18 columns of a result as the results browser reads them, and where each lives in the
// two local results tables: what the central database stores, sync reads and the central
// view gives back.
namespace kr7::central {

struct ResultColumn {
    QString name;    // the browser's name (PATIENT_NAME)
    QString current; // its field in T_Samples (SA_17)
    QString old;     // its column in T_Samples_old (PATIENT_NAME)
    schema::FieldType type;
};

// In the browser's order.
std::span<const ResultColumn> resultColumns();

// The column the central database keeps it in: the browser's name in lower case, which
// PostgreSQL takes without quotes.
QString centralName(const ResultColumn& column);

constexpr int kDateTestedColumn = 7;

} // namespace kr7::central
