// The text, number and date conversions every screen, the store and the exports go through.

#include "conversions.h"
#include "errors.h"
#include "guarded_application.h"
#include "test_support.h"

#include <cmath>
#include <limits>

using namespace kr7;
using kr7::test::at;

class TestConversions : public QObject {
    Q_OBJECT

  private slots:
    void readingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leading");
        QTest::addColumn<bool>("numeric");
        const auto row = [](const char* text, double leading, bool numeric) {
            QTest::newRow(text) << QString(text) << leading << numeric;
        };
        row("12x", 12, false);
        row(" 1 2", 12, false);
        row("-3.5", -3.5, true);
        row(".5", 0.5, true);
        row("1e3", 1000, false);
        row("1.2.3", 1.2, false);
        row("", 0, false);
        row("--3", 0, false);
    }
    void readingNumbers() {
        QFETCH(QString, text);
        QFETCH(double, leading);
        QFETCH(bool, numeric);
        QCOMPARE(conv::leadingNumber(text), leading);
        QCOMPARE(conv::isNumeric(text), numeric);
    }

    void rounding_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("halfEven");
        QTest::addColumn<double>("down");
        const auto row = [](double x, double halfEven, double down) {
            QTest::addRow("%.8g", x) << x << halfEven << down;
        };
        row(2.5, 2, 2);
        row(-2.5, -2, -3);
        row(2.5000001, 3, 2);
        row(-0.1, 0, -1);
    }
    void rounding() {
        QFETCH(double, x);
        QFETCH(double, halfEven);
        QFETCH(double, down);
        QCOMPARE(conv::roundHalfEven(x), halfEven);
        QCOMPARE(conv::roundDown(x), down);
    }

    void formatNumber_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](double x, const char* pattern, const char* expected) {
            QTest::addRow("%g %s", x, pattern) << x << QString(pattern) << QString(expected);
        };
        row(2.675, "0.00", "2.68"); // a half in decimals, just below it in binary
        row(-0.004, "0.00", "0.00");
        row(-0.05, "0%", "-5%");
        row(1.05 - 1, "0%", "5%");
        row(1234567, "#,###", "1,234,567");
        row(0, "#,###", "");
    }
    void formatNumber() {
        QFETCH(double, x);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(conv::formatNumber(x, pattern), expected);
    }

    void readDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: nothing is read
        const auto row = [](const char* text, const QDateTime& expected) {
            QTest::newRow(text) << QString(text) << expected;
        };
        row("5/3/2026 14:07", at(2026, 3, 5, 14, 7));
        row(" 05.03.26 ", at(2026, 3, 5));
        row("2026-03-05 14:07:00", at(2026, 3, 5, 14, 7));
        row("29/02/24", at(2024, 2, 29));
        row("01/01/29", at(2029, 1, 1));
        row("01/01/30", at(1930, 1, 1));
        row("31/02/26", {});
        row("05/03/26 25:00", {});
    }
    void readDate() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto read = conv::readDate(text);
        QCOMPARE(read.has_value(), expected.isValid());
        if (read)
            QCOMPARE(*read, expected);
    }

    void hourBoundaries_data() {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<qint64>("expected");
        const auto row = [](const char* name, const QDateTime& from, const QDateTime& to,
                            qint64 expected) { QTest::newRow(name) << from << to << expected; };
        row("across one hour", at(2026, 3, 5, 10, 59), at(2026, 3, 5, 11, 1), 1);
        row("across a clock change", at(2026, 3, 29), at(2026, 3, 29, 4), 4);
        row("reversed", at(2026, 3, 5, 11, 1), at(2026, 3, 5, 10, 59), -1);
    }
    void hourBoundaries() {
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(qint64, expected);
        QCOMPARE(conv::hourBoundaries(from, to), expected);
    }
};

KR7_TEST_MAIN(TestConversions)
#include "test_conversions.moc"
