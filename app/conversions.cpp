#include "conversions.h"

#include "errors.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace kr7::conv {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

double parseAscii(const std::string& s) {
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        const bool underflow = s.find("e-") != std::string::npos;
        return underflow ? 0.0 : (s.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    return ec == std::errc() ? value : 0.0;
}

// The leading readable number with every blank removed, in the form from_chars takes.
std::string leadingNumberText(QStringView text) {
    std::string out;
    enum class Stage { Sign, Mantissa, ExponentSign, Exponent } stage = Stage::Sign;
    bool seenPoint = false, seenDigit = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if (stage == Stage::Sign) {
            stage = Stage::Mantissa;
            if (c == u'-' || c == u'+') {
                if (c == u'-')
                    out += '-';
                continue;
            }
        }
        if (stage == Stage::Mantissa) {
            if (isDigit(c)) {
                out += char(c.unicode());
                seenDigit = true;
            } else if (c == u'.' && !seenPoint) {
                out += '.';
                seenPoint = true;
            } else if (seenDigit && (c == u'e' || c == u'E' || c == u'd' || c == u'D')) {
                stage = Stage::ExponentSign;
            } else {
                break;
            }
            continue;
        }
        if (stage == Stage::ExponentSign) {
            stage = Stage::Exponent;
            if (c == u'-' || c == u'+') {
                out += c == u'-' ? "e-" : "e";
                continue;
            }
            out += 'e';
        }
        if (!isDigit(c))
            break;
        out += char(c.unicode());
    }
    if (!seenDigit)
        return "0";
    // An exponent marker with no digits after it counts for nothing.
    while (!out.empty() && (out.back() == 'e' || out.back() == '-'))
        out.pop_back();
    if (!out.empty() && out.back() == '.')
        out.pop_back();
    if (out.empty() || out == "-")
        return "0";
    if (out.front() == '.')
        out = "0" + out;
    else if (out.size() > 1 && out[0] == '-' && out[1] == '.')
        out = "-0" + out.substr(1);
    return out;
}

// x * 10^decimals rounded half away from zero, on the 15 significant digits the platform
// kept, as a string of decimal digits (no sign).
std::string scaledDigits(double magnitude, int decimals) {
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (sci[i] != '.')
            digits += sci[i];
    const int exponent = std::stoi(sci.substr(ePos + 1));
    const int keep = exponent + decimals + 1;
    if (keep < 0 || magnitude == 0)
        return "0";
    const int roundingDigit = keep < int(digits.size()) ? digits[keep] - '0' : 0;
    std::string kept = digits.substr(0, std::min<std::size_t>(keep, digits.size()));
    kept.resize(keep, '0');
    if (roundingDigit >= 5) {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    return kept.empty() ? "0" : kept;
}

QString fixedDecimals(double x, int decimals) {
    if (!std::isfinite(x))
        return QString::number(x);
    std::string digits = scaledDigits(std::fabs(x), decimals);
    if (int(digits.size()) <= decimals)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = (x < 0 && !allZero) ? "-" : "";
    text += digits.substr(0, digits.size() - decimals);
    if (decimals > 0)
        text += "." + digits.substr(digits.size() - decimals);
    return QString::fromStdString(text);
}

QString groupedThousands(double x) {
    QString digits = fixedDecimals(x, 0);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    if (digits == u"0")
        return QString();
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return negative ? u'-' + digits : digits;
}

int fullYear(const QString& year) {
    const int y = year.toInt();
    if (year.size() > 2)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

std::optional<QDateTime> dateFromParts(int y, int mo, int d, const QString& h, const QString& mi,
                                       const QString& s) {
    const QDate date(y, mo, d);
    const QTime time = h.isEmpty() ? QTime(0, 0) : QTime(h.toInt(), mi.toInt(), s.toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return naiveDateTime(date, time);
}

} // namespace

QDateTime naiveDateTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

double leadingNumber(QStringView text) {
    return parseAscii(leadingNumberText(text));
}

bool isNumeric(QStringView text) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    bool seenPoint = false, seenDigit = false;
    for (; i < t.size(); ++i) {
        if (isDigit(t[i]))
            seenDigit = true;
        else if (t[i] == u'.' && !seenPoint)
            seenPoint = true;
        else
            return false;
    }
    return seenDigit;
}

double roundHalfEven(double x) {
    const double nearest = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return nearest;
}

double roundDown(double x) {
    return std::floor(x);
}

std::int32_t toWhole32(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        throw overflow();
    return static_cast<std::int32_t>(r);
}

QString numberText(double x) {
    if (x == 0)
        return QStringLiteral("0");
    return QString::number(x, 'g', 15).toUpper();
}

QString strNumber(double x) {
    const QString text = numberText(x);
    return text.startsWith(u'-') ? text : u' ' + text;
}

QString formatNumber(double x, QStringView pattern) {
    if (pattern == u"0%")
        return fixedDecimals(x * 100, 0) + u'%';
    if (pattern == u"#,###")
        return groupedThousands(x);
    const qsizetype point = pattern.indexOf(u'.');
    return fixedDecimals(x, point < 0 ? 0 : int(pattern.size() - point - 1));
}

namespace {

// The exact stored form "yyyy-MM-dd HH:mm:ss", read without a regular expression: every
// date cell of every exported or shown result passes through here.
std::optional<QDateTime> readStoredDate(QStringView t) {
    static constexpr std::string_view shape = "dddd-dd-dd dd:dd:dd";
    if (t.size() != qsizetype(shape.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !isDigit(t[qsizetype(i)]) : t[qsizetype(i)] != QChar(shape[i]))
            return std::nullopt;
    const auto number = [&](qsizetype from, qsizetype length) {
        int n = 0;
        for (qsizetype i = from; i < from + length; ++i)
            n = n * 10 + (t[i].unicode() - u'0');
        return n;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return naiveDateTime(date, time);
}

} // namespace

std::optional<QDateTime> readDate(QStringView text) {
    if (auto date = readStoredDate(text))
        return date;
    static const QRegularExpression stored(
        QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    static const QRegularExpression dayFirst(QStringLiteral(
        R"(^(\d{1,2})([/.\-])(\d{1,2})\2(\d{4}|\d{2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QString t = text.trimmed().toString();
    if (const auto m = stored.match(t); m.hasMatch())
        return dateFromParts(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                             m.captured(4), m.captured(5), m.captured(6));
    if (const auto m = dayFirst.match(t); m.hasMatch())
        return dateFromParts(fullYear(m.captured(4)), m.captured(3).toInt(), m.captured(1).toInt(),
                             m.captured(5), m.captured(6), m.captured(7));
    return std::nullopt;
}

QString formatDate(const QDateTime& dt) {
    return dt.toString(QStringLiteral("dd/MM/yy HH:mm"));
}

QString storedDateText(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<std::int64_t> storedDateStamp(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kShape.size())
        return std::nullopt;
    std::int64_t stamp = 0;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' && !digit)
            return std::nullopt;
        if (kShape[i] != 'd' && text[i] != kShape[i])
            return std::nullopt;
        if (digit)
            stamp = stamp * 10 + (text[i] - '0');
    }
    return stamp;
}

bool isStoredDate(std::string_view text) {
    const auto stamp = storedDateStamp(text);
    const auto part = [&](std::int64_t divisor, int modulus) {
        return int(*stamp / divisor % modulus);
    };
    return stamp &&
           QDate::isValid(part(10000000000, 10000), part(100000000, 100), part(1000000, 100)) &&
           QTime::isValid(part(10000, 100), part(100, 100), part(1, 100));
}

std::int64_t hourBoundaries(const QDateTime& from, const QDateTime& to) {
    const auto hourIndex = [](const QDateTime& dt) {
        return dt.date().toJulianDay() * 24 + dt.time().hour();
    };
    return hourIndex(to) - hourIndex(from);
}

} // namespace kr7::conv
