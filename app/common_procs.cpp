#include "common_procs.h"

#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "schema.h"
#include "services.h"

#include <array>

namespace kr7 {

namespace {

QString& picId() {
    static QString id;
    return id;
}

Value nullAsEmptyText(Value v) {
    return v.isNull() ? Value::text(QString()) : v;
}

// The character's code in the single-byte character set the instrument's PC used
// (Windows-1252); "?" for a character that set does not have.
int singleByteCode(QChar c) {
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    const char16_t u = c.unicode();
    for (std::size_t i = 0; i < high.size(); ++i)
        if (high[i] != 0 && high[i] == u)
            return int(0x80 + i);
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    return '?';
}

bool isNumericValue(const Value& value) {
    return value.isNumber() || value.kind() == Value::Kind::YesNo ||
           (value.kind() == Value::Kind::Text && conv::isNumeric(value.asText()));
}

double numberOf(const Value& value) {
    return value.kind() == Value::Kind::Text ? conv::leadingNumber(value.asText())
                                             : value.toNumber();
}

QString missingParamText(const char* procedure, std::int16_t number) {
    return QStringLiteral("%1 : PIC Param%2 missing")
        .arg(QLatin1String(procedure), conv::strNumber(number));
}

// The parameter's row, or nothing after the "missing" report.
std::optional<std::int64_t> findParamRow(const char* procedure, std::int16_t number) {
    auto select = Get_connection().prepare(
        QStringLiteral("SELECT rowid FROM T_PIC_Params WHERE PIC_01 = ?1 ORDER BY rowid LIMIT 1"));
    select.bind(1, Value::whole(number));
    if (select.step())
        return select.columnWhole(0);
    Report_error(missingParamText(procedure, number));
    return std::nullopt;
}

} // namespace

Value Get_PC_Config_value(const QString& fieldCode) {
    return nullAsEmptyText(
        store::readFirstRecord(Get_connection(), schema::PC_Configuration, fieldCode));
}

void update_PC_Config_value(const QString& fieldCode, const Value& value) {
    store::writeFirstRecord(Get_connection(), schema::PC_Configuration, fieldCode, value);
}

Value Get_PIC_list_value(const QString& fieldCode) {
    return nullAsEmptyText(store::readFirstRecord(Get_connection(), schema::PIC_list, fieldCode));
}

void update_PIC_list_value(const QString& fieldCode, const Value& value) {
    store::writeFirstRecord(Get_connection(), schema::PIC_list, fieldCode, value);
}

std::optional<PicParamEncoding> encodePicParam(const Value& value) {
    if (isNumericValue(value))
        return PicParamEncoding{value, Hex4(conv::toWhole32(numberOf(value)))};
    const QString text = value.toText();
    switch (text.size()) {
    case 0:
        return PicParamEncoding{Value::text(QString()), QStringLiteral("0000")};
    case 1:
        return PicParamEncoding{value,
                                Hex2(std::int16_t(singleByteCode(text[0]))) + QStringLiteral("00")};
    case 2:
        return PicParamEncoding{value, Hex2(std::int16_t(singleByteCode(text[0]))) +
                                           Hex2(std::int16_t(singleByteCode(text[1])))};
    default:
        return std::nullopt;
    }
}

Value Get_PIC_Param_value(std::int16_t number) {
    const auto row = findParamRow("Get_PIC_Param_value", number);
    if (!row)
        return Value();
    auto select = Get_connection().prepare(
        QStringLiteral("SELECT PIC_03 FROM T_PIC_Params WHERE rowid = ?1"));
    select.bind(1, Value::whole(*row));
    select.step();
    return store::fromStored(store::columnOf(schema::PIC_Params, QStringLiteral("PIC_03")),
                             select.column(0));
}

bool update_PIC_Param_value(std::int16_t number, const Value& value) {
    const auto row = findParamRow("update_PIC_Param_value", number);
    if (!row)
        return false;
    const auto encoded = encodePicParam(value);
    if (!encoded)
        return false;
    const store::Record param{schema::PIC_Params,
                              {{QStringLiteral("PIC_01"), Value::whole(number)}}};
    store::change(Get_connection(), [&](store::Changes& changes) {
        changes.setField(param, QStringLiteral("PIC_03"), encoded->entered);
        changes.setField(param, QStringLiteral("PIC_04"), Value::text(encoded->hex));
    });
    return true;
}

QString Check_PIC_records() {
    auto count = Get_connection().prepare(QStringLiteral("SELECT count(*) FROM T_PIC_list"));
    count.step();
    if (count.columnWhole(0) != 1) {
        services().prompter->ask({QStringLiteral("Incorrect number of PIC records - Please run "
                                                 "Utility_Clean_up_PIC_records"),
                                  kProgramTitle, Icon::None, Buttons::Ok});
        endProgram(1);
    }
    Set_PIC_ID(Get_PIC_list_value(QStringLiteral("PI_01")).toText());
    return Get_PIC_ID();
}

QString Get_PIC_ID() {
    return picId();
}

void Set_PIC_ID(const QString& id) {
    picId() = id;
}

QString Hex2(std::int16_t x) {
    return QStringLiteral("%1").arg(std::uint16_t(x), 4, 16, QLatin1Char('0')).toUpper().right(2);
}

QString Hex4(std::int32_t x) {
    return QStringLiteral("%1").arg(std::uint32_t(x), 8, 16, QLatin1Char('0')).toUpper().right(4);
}

} // namespace kr7
