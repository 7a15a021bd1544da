#include "config_values.h"

#include "common_procs.h"
#include "conversions.h"
#include "errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kr7::config {

namespace {

QString cacheKey(const Key& key) {
    return key.isParam() ? QString::number(key.param) : key.field;
}

std::optional<QDateTime> dateOf(const Value& value) {
    if (value.kind() == Value::Kind::Date)
        return value.asDate();
    if (value.isNull() || value.isEmpty() || value.toText().isEmpty())
        return std::nullopt;
    if (const auto date = conv::readDate(value.toText()))
        return date;
    throw typeMismatch();
}

QStringView patternOf(Shown shown) {
    switch (shown) {
    case Shown::Whole:
        return u"0";
    case Shown::Tenths:
        return u"0.0";
    case Shown::Fixed2:
    case Shown::Product:
        return u"0.00";
    case Shown::Fixed3:
        return u"0.000";
    case Shown::Fixed10:
        return u"0.0000000000";
    case Shown::Percent:
    case Shown::PercentOfFactor:
        return u"0%";
    default:
        return {};
    }
}

// The stored number in the unit the field shows it in.
double shownNumber(Shown shown, double stored) {
    switch (shown) {
    case Shown::Tenths:
        return stored / 10;
    case Shown::PercentOfFactor:
        return stored - 1;
    default:
        return stored;
    }
}

std::optional<Value> whole32(double rounded) {
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return Value::whole(static_cast<std::int64_t>(rounded));
}

std::optional<Value> convertedNumber(Conversion conversion, double n) {
    switch (conversion) {
    case Conversion::Number:
        return Value::floating(n);
    case Conversion::Whole:
        return whole32(conv::roundHalfEven(n));
    case Conversion::WholeDown:
        return whole32(conv::roundDown(n));
    case Conversion::Tenths:
        return whole32(conv::roundHalfEven(n * 10));
    case Conversion::TenthsDown:
        return whole32(conv::roundDown(n * 10));
    case Conversion::Fraction:
        return Value::floating(n / 100);
    case Conversion::PlusOnePerCent:
        return Value::floating(n / 100 + 1);
    default:
        return std::nullopt;
    }
}

} // namespace

Value readKey(const Key& key) {
    switch (key.store) {
    case Key::Store::PcConfig:
        return Get_PC_Config_value(key.field);
    case Key::Store::PicList:
        return Get_PIC_list_value(key.field);
    case Key::Store::PicParam:
        return Get_PIC_Param_value(std::int16_t(key.param));
    case Key::Store::None:
        break;
    }
    return Value();
}

bool writeKey(const Key& key, const Value& value) {
    switch (key.store) {
    case Key::Store::PcConfig:
        update_PC_Config_value(key.field, value);
        return true;
    case Key::Store::PicList:
        update_PIC_list_value(key.field, value);
        return true;
    case Key::Store::PicParam:
        return update_PIC_Param_value(std::int16_t(key.param), value);
    case Key::Store::None:
        break;
    }
    return false;
}

const Value& KeyReader::read(const Key& key) {
    const QString id = cacheKey(key);
    auto found = values_.find(id);
    if (found == values_.end())
        found = values_.insert(id, readKey(key));
    return *found;
}

std::optional<double> numberOf(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Whole:
    case Value::Kind::Floating:
    case Value::Kind::YesNo:
        return value.toNumber();
    case Value::Kind::Text:
        if (value.asText().trimmed().isEmpty())
            return std::nullopt;
        if (!conv::isNumeric(value.asText()))
            throw typeMismatch();
        return conv::leadingNumber(value.asText());
    case Value::Kind::Date:
        throw typeMismatch();
    case Value::Kind::Empty:
    case Value::Kind::Null:
        break;
    }
    return std::nullopt;
}

QString shownText(Shown shown, const Value& value, const QDateTime& now) {
    if (shown == Shown::Text)
        return value.toText();
    if (shown == Shown::Date || shown == Shown::HoursSince) {
        const auto date = dateOf(value);
        if (!date)
            return QString();
        return shown == Shown::Date ? conv::formatDate(*date)
                                    : QString::number(conv::hourBoundaries(*date, now));
    }
    const auto number = numberOf(value);
    if (!number)
        return QString();
    return conv::formatNumber(shownNumber(shown, *number), patternOf(shown));
}

QString productText(const Value& value, const Value& factor) {
    const auto a = numberOf(value);
    const auto b = numberOf(factor);
    if (!a || !b)
        return QString();
    return conv::formatNumber(*a * *b, patternOf(Shown::Product));
}

bool ticked(Shown shown, const Value& value, int bit) {
    const double number = numberOf(value).value_or(0);
    switch (shown) {
    case Shown::TickIfPositive:
        return number > 0;
    case Shown::Bit:
        return (conv::toWhole32(number) & bit) != 0;
    default:
        return number != 0;
    }
}

int listPosition(const Value& value, int count) {
    const auto number = numberOf(value);
    if (!number)
        return -1;
    const double position = conv::roundHalfEven(*number);
    return position >= 0 && position < count ? int(position) : -1;
}

std::optional<Reading> convertText(Conversion conversion, const QString& text) {
    if (conversion == Conversion::Text)
        return Reading{0, Value::text(text)};
    if (conversion == Conversion::Date) {
        if (text.isEmpty())
            return Reading{0, Value::null()};
        if (!conv::readDate(text))
            return std::nullopt;
        return Reading{0, Value::text(text)};
    }
    const double number = conv::leadingNumber(text);
    const auto value = convertedNumber(conversion, number);
    if (!value)
        return std::nullopt;
    return Reading{number, *value};
}

bool admits(const Range& range, const Reading& reading) {
    const double x = range.on == RangeOn::Number ? reading.number : reading.value.toNumber();
    return x >= range.min && x <= range.max;
}

bool accepts(Typing typing, QChar c) {
    const bool digit = c >= u'0' && c <= u'9';
    switch (typing) {
    case Typing::Digits:
        return digit;
    case Typing::Decimal:
        return digit || c == u'.';
    case Typing::Signed:
        return digit || c == u'.' || c == u'-';
    case Typing::Date:
        return digit || c == u'/' || c == u':' || c == u' ';
    case Typing::Any:
        return true;
    case Typing::None:
        break;
    }
    return false;
}

bool typable(Typing typing, const QString& text, const QString& shownOnEntry) {
    return std::all_of(text.begin(), text.end(),
                       [&](QChar c) { return accepts(typing, c) || shownOnEntry.contains(c); });
}

Checked checkText(const Setting& setting, const CheckRule& rule, const QString& text,
                  const QString& shownOnEntry, const TemperatureLimits& limits) {
    if (!typable(setting.edit.typing, text, shownOnEntry))
        return {};
    // A PIC parameter's number must be the whole text: "12x" is not 12 here.
    if (setting.key.isParam() && rule.conversion != Conversion::Text && !conv::isNumeric(text))
        return {};
    const auto reading = convertText(rule.conversion, text);
    if (!reading || (rule.range && !admits(*rule.range, *reading)))
        return {};
    // A parameter's text the store cannot encode (three letters or more) would be dropped
    // there without a word.
    if (setting.key.isParam() && !encodePicParam(reading->value))
        return {};
    if (!limits.admits(rule.temperature, std::int32_t(reading->value.toNumber())))
        return {Verdict::OutsideTemperatureLimits};
    return {Verdict::Accepted, reading->value};
}

bool TemperatureLimits::admits(Temperature role, std::int32_t tenths) const {
    switch (role) {
    case Temperature::Minimum:
        return tenths <= target;
    case Temperature::Target:
        return minimum <= tenths && tenths <= maximum;
    case Temperature::Maximum:
        return tenths >= target;
    case Temperature::None:
        break;
    }
    return true;
}

void TemperatureLimits::set(Temperature role, std::int32_t tenths) {
    switch (role) {
    case Temperature::Minimum:
        minimum = tenths;
        break;
    case Temperature::Target:
        target = tenths;
        break;
    case Temperature::Maximum:
        maximum = tenths;
        break;
    case Temperature::None:
        break;
    }
}

} // namespace kr7::config
