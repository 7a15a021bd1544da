#pragma once

#include "value.h"

#include <QString>
#include <cstdint>
#include <optional>

// The one way every screen reads and writes a configuration value: a field of the single
// T_PC_Configuration record, of the single T_PIC_list record, or a numbered PIC parameter.
// None of these traps an error: a database error rises to the calling procedure's trap.
namespace kr7 {

// The field's value; the empty text when the field is null.
Value Get_PC_Config_value(const QString& fieldCode);
void update_PC_Config_value(const QString& fieldCode, const Value& value);
Value Get_PIC_list_value(const QString& fieldCode);
void update_PIC_list_value(const QString& fieldCode, const Value& value);

// PIC_03 of the parameter; an empty value, after a reported "missing" message, when the
// parameter has no row.
Value Get_PIC_Param_value(std::int16_t number);
// Writes the value as entered and its four-hex-digit form for the instrument. Returns
// false when nothing was written: the parameter has no row (reported here), or the value is
// a text of three or more characters.
bool update_PIC_Param_value(std::int16_t number, const Value& value);

// Ends the program after its message unless T_PIC_list holds exactly one record; returns
// and keeps that record's instrument number.
QString Check_PIC_records();
QString Get_PIC_ID();
void Set_PIC_ID(const QString& id);

QString Hex2(std::int16_t x);
QString Hex4(std::int32_t x);

// What the instrument loads for a PIC parameter value; nothing when the value is text of
// three or more characters, which changes neither field.
struct PicParamEncoding {
    Value entered;
    QString hex;
};
std::optional<PicParamEncoding> encodePicParam(const Value& value);

} // namespace kr7
