// The text, number and date conversions every screen, the store and the exports go through:
// their edge cases, each result written as text.

#include "conversions.h"
#include "test_support.h"

using namespace kr7;
using kr7::test::at;

namespace {

QString number(const char* text) {
    return QStringLiteral("%1 %2")
        .arg(conv::leadingNumber(QString::fromUtf8(text)))
        .arg(conv::isNumeric(QString::fromUtf8(text)) ? "numeric" : "not numeric");
}

QString rounded(double x) {
    return QStringLiteral("%1 %2").arg(conv::roundHalfEven(x)).arg(conv::roundDown(x));
}

QString date(const char* text) {
    const auto read = conv::readDate(QString::fromUtf8(text));
    return read ? read->toString(QStringLiteral("yyyy-MM-dd hh:mm")) : QStringLiteral("none");
}

} // namespace

class TestConversions : public QObject {
    Q_OBJECT

  private slots:
    void edgeCases_data() {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& result, const char* expected) {
            QTest::newRow(name) << result << QString::fromUtf8(expected);
        };
        row("12x", number("12x"), "12 not numeric");
        row("blanks inside", number(" 1 2"), "12 not numeric");
        row("-3.5", number("-3.5"), "-3.5 numeric");
        row(".5", number(".5"), "0.5 numeric");
        row("exponent", number("1e3"), "1000 not numeric");
        row("two points", number("1.2.3"), "1.2 not numeric");
        row("empty", number(""), "0 not numeric");
        row("two signs", number("--3"), "0 not numeric");
        row("2.5", rounded(2.5), "2 2");
        row("-2.5", rounded(-2.5), "-2 -3");
        row("just above a half", rounded(2.5000001), "3 2");
        row("-0.1", rounded(-0.1), "0 -1");
        row("a half in decimals, below it in binary", conv::formatNumber(2.675, u"0.00"), "2.68");
        row("no negative zero", conv::formatNumber(-0.004, u"0.00"), "0.00");
        row("negative percent", conv::formatNumber(-0.05, u"0%"), "-5%");
        row("percent of a difference", conv::formatNumber(1.05 - 1, u"0%"), "5%");
        row("thousands", conv::formatNumber(1234567, u"#,###"), "1,234,567");
        row("zero in thousands", conv::formatNumber(0, u"#,###"), "");
        row("four-digit year", date("5/3/2026 14:07"), "2026-03-05 14:07");
        row("points, blanks", date(" 05.03.26 "), "2026-03-05 00:00");
        row("as stored", date("2026-03-05 14:07:00"), "2026-03-05 14:07");
        row("leap day", date("29/02/24"), "2024-02-29 00:00");
        row("year 29", date("01/01/29"), "2029-01-01 00:00");
        row("year 30", date("01/01/30"), "1930-01-01 00:00");
        row("no such day", date("31/02/26"), "none");
        row("no such hour", date("05/03/26 25:00"), "none");
        const auto hours = [](const QDateTime& from, const QDateTime& to) {
            return QString::number(conv::hourBoundaries(from, to));
        };
        row("across one hour", hours(at(2026, 3, 5, 10, 59), at(2026, 3, 5, 11, 1)), "1");
        row("across a clock change", hours(at(2026, 3, 29), at(2026, 3, 29, 4)), "4");
        row("reversed", hours(at(2026, 3, 5, 11, 1), at(2026, 3, 5, 10, 59)), "-1");
    }
    void edgeCases() {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

KR7_TEST_MAIN(TestConversions)
#include "test_conversions.moc"
