#include "schema.h"

#include "sqlite_db.h"

#include <algorithm>

namespace kr7::schema {

namespace {

using enum FieldType;

Column yesNo(const char* name) {
    return {QString::fromLatin1(name), YesNo};
}
Column date(const char* name) {
    return {QString::fromLatin1(name), Date};
}
Column whole(const char* name) {
    return {QString::fromLatin1(name), Whole};
}
Column floating(const char* name) {
    return {QString::fromLatin1(name), Floating};
}
Column text(const char* name, int size) {
    return {QString::fromLatin1(name), Text, size};
}
Column memo(const char* name) {
    return {QString::fromLatin1(name), Text, 0};
}

QString code(const char* prefix, int number) {
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(number, 2, 10, QLatin1Char('0'));
}

void addNumbered(std::vector<Column>& columns, const char* prefix, int first, int last,
                 FieldType type, int size = 0) {
    for (int n = first; n <= last; ++n)
        columns.push_back({code(prefix, n), type, size});
}

Table pcConfiguration() {
    std::vector<Column> c = {
        whole("PC_01"),    text("PC_02", 50), floating("PC_03"), floating("PC_04"), whole("PC_05"),
        yesNo("PC_09"),    yesNo("PC_10"),    floating("PC_12"), text("PC_13", 50), yesNo("PC_16"),
        yesNo("PC_20"),    text("PC_25", 80), text("PC_26", 80), yesNo("PC_28"),    yesNo("PC_29"),
        floating("PC_30"), date("PC_34"),     text("PC_37", 50), yesNo("PC_38"),    yesNo("PC_39"),
        yesNo("PC_41"),    text("PC_42", 10), text("PC_43", 10), whole("PC_45"),    whole("PC_48"),
        whole("PC_49"),    whole("PC_50"),    whole("PC_51"),
    };
    addNumbered(c, "PC", 55, 60, Floating);
    addNumbered(c, "PC", 61, 72, Text, 15);   // valve names 1-12
    addNumbered(c, "PC", 73, 90, Text, 30);   // timer names 1-18
    addNumbered(c, "PC", 104, 105, Text, 15); // valve names 13-14
    return {PC_Configuration, std::move(c)};
}

Table picList() {
    std::vector<Column> c = {
        whole("PI_01"),    text("PI_02", 20), date("PI_03"),     date("PI_04"),
        date("PI_07"),     whole("PI_09"),    date("PI_11"),     text("PI_13", 50),
        date("PI_14"),     whole("PI_15"),    date("PI_16"),     text("PI_18", 50),
        floating("PI_19"), whole("PI_20"),    text("PI_21", 50), floating("PI_22"),
        whole("PI_23"),    text("PI_24", 50), floating("PI_25"), whole("PI_26"),
        floating("PI_27"), floating("PI_28"), floating("PI_29"), text("PI_30", 50),
        floating("PI_31"), floating("PI_32"), yesNo("PI_34"),    whole("PI_35"),
        whole("PI_38"),    whole("PI_39"),    yesNo("PI_43"),    yesNo("PI_44"),
        floating("PI_45"), floating("PI_46"), floating("PI_47"), text("PI_48", 2),
        whole("PI_49"),    text("PI_50", 2),  text("PI_52", 2),  whole("PI_53"),
        whole("PI_54"),    whole("PI_55"),    whole("PI_56"),    whole("PI_57"),
        whole("PI_58"),    whole("PI_59"),    yesNo("PI_60"),    yesNo("PI_61"),
        date("PI_62"),     whole("PI_63"),    date("PI_65"),
    };
    addNumbered(c, "PI", 66, 89, Whole); // wash/dry times, their copies, time of day, grace
    return {PIC_list, std::move(c)};
}

std::vector<Column> resultColumnsByName() {
    return {text("PATIENT_NAME", 50),    text("BARCODE", 50),     text("PV1_STRING", 20),
            text("PV2_STRING", 20),      whole("RUNTIME_STEPS"),  memo("SYSTEM_NOTES"),
            memo("USER_NOTES"),          date("DATE_TESTED"),     text("LIMS_STR", 50),
            text("TESTED_INITIALS", 10), text("TESTED_NAME", 50), whole("REC_TYPE"),
            floating("PV_LOW"),          floating("PV_HIGH"),     floating("PV1_NUMBER"),
            floating("PV2_NUMBER"),      whole("PIC_ID"),         whole("LIMS_NUM")};
}

std::vector<Table> buildTables() {
    std::vector<Table> t;
    t.push_back(pcConfiguration());
    t.push_back(picList());
    t.push_back({PIC_Params, {whole("PIC_01"), text("PIC_03", 20), text("PIC_04", 4)}});
    t.push_back({Messages,
                 {whole("ME_01"), text("ME_02", 30), text("ME_03", 40), text("ME_04", 80),
                  yesNo("ME_05")}});
    t.push_back(
        {Samples,
         {text("SA_02", 50), memo("SA_03"), date("SA_04"), text("SA_06", 20), whole("SA_08"),
          whole("SA_09"), floating("SA_11"), floating("SA_12"), memo("SA_15"), text("SA_17", 50),
          text("SA_18", 20), whole("SA_19"), floating("SA_21"), floating("SA_22"),
          text("SA_23", 50), whole("SA_24"), text("SA_30", 50), text("SA_31", 10)}});
    t.push_back({Samples_old, resultColumnsByName()});
    t.push_back({Samples_historical, resultColumnsByName()});
    t.push_back({Calibration_data,
                 {text("CD_02", 50), date("CD_03"), date("CD_04"), yesNo("CD_07"), whole("CD_09"),
                  date("CD_10")}});
    t.push_back({Labels_wanted, {whole("LN_01"), text("LN_03", 50), text("LN_04", 50)}});
    return t;
}

QString sqlType(const Column& c) {
    switch (c.type) {
    case YesNo:
        return QStringLiteral("BOOLEAN NOT NULL DEFAULT 0");
    case Date:
        return QStringLiteral("DATETIME");
    case Whole:
        return QStringLiteral("INTEGER");
    case Floating:
        return QStringLiteral("DOUBLE");
    case Text:
        return c.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(c.size) : QStringLiteral("TEXT");
    }
    return {};
}

QString createStatement(const Table& table) {
    QStringList columns;
    for (const Column& c : table.columns)
        columns << QStringLiteral("\"%1\" %2").arg(c.name, sqlType(c));
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table.name, columns.join(u", "));
}

} // namespace

const Column* Table::find(QStringView column) const {
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const Column& c) {
        return c.name.compare(column, Qt::CaseInsensitive) == 0;
    });
    return it == columns.end() ? nullptr : &*it;
}

std::span<const Table> tables() {
    static const std::vector<Table> all = buildTables();
    return all;
}

const Table* findTable(QStringView name) {
    for (const Table& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

void addResultDateIndexes(sql::Database& db) {
    db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS ix_Samples_date ON T_Samples (SA_04)"));
    db.exec(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS ix_Samples_old_date ON T_Samples_old (DATE_TESTED)"));
}

void create(sql::Database& db) {
    sql::inWriteTransaction(db, [&] {
        for (const Table& t : tables())
            db.exec(createStatement(t));
        db.exec(QStringLiteral("CREATE UNIQUE INDEX ix_PIC_Params ON T_PIC_Params (PIC_01)"));
        db.exec(QStringLiteral("CREATE UNIQUE INDEX ix_Labels_wanted ON T_Labels_wanted (LN_01)"));
        db.exec(QStringLiteral("CREATE UNIQUE INDEX ix_Messages ON T_Messages (ME_02)"));
        addResultDateIndexes(db);
        db.exec(
            QStringLiteral("CREATE INDEX ix_Calibration_barcode ON T_Calibration_data (CD_02)"));
    });
}

} // namespace kr7::schema
