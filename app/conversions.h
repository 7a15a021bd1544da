#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string_view>

// Text <-> number and date conversions as the original platform made them. Pure functions:
// the screens, the store and the exports all convert through here and nowhere else.
namespace kr7::conv {

// A date-time without a time zone. Every date of the program is one: the shared file stores
// the instrument PC's wall-clock time, and daylight-saving changes must not shift it.
QDateTime naiveDateTime(QDate date, QTime time);

// The value of the leading part of the text that reads as a number: blanks are skipped
// wherever they stand, "." is the decimal point, an exponent is allowed; nothing readable
// gives 0 ("12x" is 12, "x12" is 0, "1 2" is 12).
double leadingNumber(QStringView text);

// True when the whole text reads as a number: blanks around, an optional sign, digits with
// at most one decimal point, and at least one digit.
bool isNumeric(QStringView text);

// To the nearest whole number, a half to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double x);

// Down to the whole number below (-1.5 -> -2).
double roundDown(double x);

// roundHalfEven into a 32-bit whole number; throws the Overflow error when it does not fit.
std::int32_t toWhole32(double x);

// A number as text, the shortest form of at most 15 significant digits ("12.5", "-3", "0.5").
QString numberText(double x);

// A number as text with a blank in front when it is zero or positive (" 5", "-5", " 12.5").
QString strNumber(double x);

// A number through one of the display patterns "0", "0.0", "0.00", "0.000",
// "0.0000000000", "0%" and "#,###". Halves round away from zero on the decimal value, as
// the platform's formatting did; "#,###" of 0 is the empty text.
QString formatNumber(double x, QStringView pattern);

// A day-first date text: day, month and year separated by "/", "-" or "."; a two-digit
// year is 1930-2029; an optional time "hh:mm" or "hh:mm:ss" after a blank. Also the
// stored form "yyyy-mm-dd hh:mm:ss". Anything else, or an impossible date, gives nothing.
std::optional<QDateTime> readDate(QStringView text);

// "dd/mm/yy hh:mm", the screens' date format.
QString formatDate(const QDateTime& dt);

// "yyyy-MM-dd HH:mm:ss", the stored form of a date.
QString storedDateText(const QDateTime& dt);

// The stored form "yyyy-mm-dd hh:mm:ss" read straight from its digits as the number
// yyyymmddhhmmss, so that dates compare as numbers: millions of them are sorted, shown and
// sent. Nothing for any other shape. isStoredDate also asks for a real day and time.
std::optional<std::int64_t> storedDateStamp(std::string_view text);
bool isStoredDate(std::string_view text);

// How many hour boundaries lie between two times (10:59 to 11:01 counts 1); negative when
// `to` is before `from`.
std::int64_t hourBoundaries(const QDateTime& from, const QDateTime& to);

} // namespace kr7::conv
