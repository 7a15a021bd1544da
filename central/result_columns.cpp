#include "result_columns.h"

#include <vector>

namespace kr7::central {

namespace {

const char* const kCurrentFields[] = {"SA_17", "SA_02", "SA_06", "SA_18", "SA_24", "SA_15",
                                      "SA_03", "SA_04", "SA_23", "SA_31", "SA_30", "SA_08",
                                      "SA_21", "SA_22", "SA_11", "SA_12", "SA_19", "SA_09"};

// T_Samples_old names its columns as the browser does, except the run time.
std::vector<ResultColumn> buildColumns() {
    const auto& old = schema::findTable(schema::Samples_old)->columns;
    std::vector<ResultColumn> columns;
    for (std::size_t i = 0; i < old.size(); ++i) {
        const QString name =
            old[i].name == u"RUNTIME_STEPS" ? QStringLiteral("RUNTIME") : old[i].name;
        columns.push_back({name, QString::fromLatin1(kCurrentFields[i]), old[i].name, old[i].type});
    }
    return columns;
}

} // namespace

std::span<const ResultColumn> resultColumns() {
    static const std::vector<ResultColumn> all = buildColumns();
    return all;
}

QString centralName(const ResultColumn& column) {
    return column.name.toLower();
}

} // namespace kr7::central
