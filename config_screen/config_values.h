#pragma once

#include "settings_table.h"
#include "value.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

// Between stored values and what the screen's controls show or hold.
namespace kr7::config {

Value readKey(const Key& key);
// False when the store wrote nothing without raising an error (a PIC parameter without a
// row, which the store has reported).
bool writeKey(const Key& key, const Value& value);

// Reads each key at most once: the load fills several controls from one stored value (a
// date and its hours-since count, the eight bits of the switch word).
class KeyReader {
  public:
    const Value& read(const Key& key);

  private:
    QHash<QString, Value> values_;
};

// The number a stored value stands for; nothing for an empty or null value. Throws Type
// mismatch for a text that is not a number.
std::optional<double> numberOf(const Value& value);

// The text a field shows for a stored value; empty for an empty or null value.
QString shownText(Shown shown, const Value& value, const QDateTime& now);
// Two stored numbers multiplied, "0.00"; empty when either is empty.
QString productText(const Value& value, const Value& factor);
bool ticked(Shown shown, const Value& value, int bit);
// The list position a stored value selects; -1 (no entry) outside 0 to count - 1.
int listPosition(const Value& value, int count);

// A field's text read with a conversion: the number read from it and the value to write.
struct Reading {
    double number = 0;
    Value value;
};
// Nothing when the text cannot be converted (a date that is not one, a number too large
// for a 32-bit whole number).
std::optional<Reading> convertText(Conversion conversion, const QString& text);
bool admits(const Range& range, const Reading& reading);

struct TemperatureLimits;

// Whether a character belongs to a typing class.
bool accepts(Typing typing, QChar c);
// Whether a field takes `text` whole: every character of its typing class, or one that the
// field itself showed when the user entered it (the "%" of a percentage, the sign of a
// negative number). A paste skips the key filter; this is what keeps anything else out.
bool typable(Typing typing, const QString& text, const QString& shownOnEntry);

// What a field's text comes to when it is committed or saved: the value to write, or why
// it is not written.
enum class Verdict { Accepted, Refused, OutsideTemperatureLimits };
struct Checked {
    Verdict verdict = Verdict::Refused;
    Value value;
};
struct CheckRule {
    Conversion conversion = Conversion::None;
    std::optional<Range> range;
    Temperature temperature = Temperature::None;
};
// `shownOnEntry` is what the field showed when the user entered it.
Checked checkText(const Setting& setting, const CheckRule& rule, const QString& text,
                  const QString& shownOnEntry, const TemperatureLimits& limits);

// The target, minimum and maximum temperature in tenths of a degree, as the screen knows
// them: loaded with the screen, kept current by each temperature written.
struct TemperatureLimits {
    std::int32_t target = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;

    // Whether a new value for that temperature keeps minimum <= target <= maximum.
    bool admits(Temperature role, std::int32_t tenths) const;
    void set(Temperature role, std::int32_t tenths);
};

} // namespace kr7::config
