// The Westgard rule engine: each rule just broken and just not, and the baseline it judges by.

#include "qc_rules.h"

#include <QtTest>

using namespace kr7::qc;

namespace {

// Runs given in SDs from a mean of 10 with an SD of 0.1: 10.2 lies 2 SD out, though the
// division does not come to exactly 2.
constexpr double kMean = 10;
constexpr double kSd = 0.1;

std::vector<double> runsAt(const QList<double>& sds) {
    std::vector<double> values;
    for (const double z : sds)
        values.push_back(kMean + z * kSd);
    return values;
}

// The rules of every run, "|" between runs.
QString flagsOf(const std::vector<Flags>& flags) {
    QStringList runs;
    for (const Flags& f : flags)
        runs << QString::fromStdString(f.names());
    return runs.join(u'|');
}

QList<double> repeated(double z, int times) {
    return QList<double>(times, z);
}

} // namespace

class TestQcRules : public QObject {
    Q_OBJECT
  private slots:
    void eachRuleOnTheRunThatCompletesIt_data() {
        QTest::addColumn<QList<double>>("sds");
        QTest::addColumn<QString>("flags");
        QTest::newRow("1-2s exactly 2 SD") << QList<double>{2} << "1-2s";
        QTest::newRow("1-2s below") << QList<double>{-2} << "1-2s";
        QTest::newRow("1-2s just inside") << QList<double>{1.999} << "";
        QTest::newRow("1-3s exactly 3 SD") << QList<double>{-3} << "1-2s, 1-3s";
        QTest::newRow("1-3s just inside") << QList<double>{2.999} << "1-2s";
        QTest::newRow("2-2s") << QList<double>{2, 2.5} << "1-2s|1-2s, 2-2s";
        QTest::newRow("2-2s one inside") << QList<double>{-2, -1.999} << "1-2s|";
        QTest::newRow("R-4s") << QList<double>{-2, 2} << "1-2s|1-2s, R-4s";
        QTest::newRow("R-4s one inside") << QList<double>{2, -1.999} << "1-2s|";
        QTest::newRow("4-1s without a warning") << repeated(1, 4) << "|||4-1s";
        QTest::newRow("4-1s below") << repeated(-1.5, 4) << "|||4-1s";
        QTest::newRow("4-1s three runs") << repeated(1, 3) << "||";
        QTest::newRow("4-1s one inside") << QList<double>{1, 1, 0.999, 1} << "|||";
        QTest::newRow("4-1s sides change") << QList<double>{1, 1, -1, 1} << "|||";
        QTest::newRow("10-x") << repeated(0.1, 10) << "|||||||||10-x";
        QTest::newRow("10-x and on") << repeated(-0.1, 11) << "|||||||||10-x|10-x";
        QTest::newRow("10-x nine runs") << repeated(0.1, 9) << "||||||||";
        QTest::newRow("10-x one on the mean")
            << repeated(0.1, 4) + QList<double>{0} + repeated(0.1, 5) << "|||||||||";
        QTest::newRow("10-x side changes") << repeated(0.1, 9) + QList<double>{-0.1} << "|||||||||";
    }

    void eachRuleOnTheRunThatCompletesIt() {
        QFETCH(QList<double>, sds);
        QFETCH(QString, flags);
        QCOMPARE(flagsOf(evaluate(runsAt(sds), kMean, kSd)), flags);
    }

    // Runs at 9 and 11 in turn, and one at 10 to make an odd number: mean 10.
    void baselineDecidesWhetherRulesRun_data() {
        QTest::addColumn<std::vector<double>>("baseline");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("sd");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("rejections");
        const auto around10 = [](int n) {
            std::vector<double> v;
            for (int i = 0; i < n; ++i)
                v.push_back(i == n - 1 && n % 2 == 1 ? 10 : i % 2 == 0 ? 9 : 11);
            return v;
        };
        QTest::newRow("19 runs") << around10(19) << int(Outcome::TooFewBaselineRuns) << 1.0 << "||"
                                 << 0 << 0;
        QTest::newRow("20 runs (n - 1)") << around10(20) << int(Outcome::Evaluated)
                                         << std::sqrt(20.0 / 19) << "1-2s||1-2s, 1-3s" << 1 << 1;
        QTest::newRow("SD 0") << std::vector<double>(20, 1.72) << int(Outcome::ZeroSd) << 0.0
                              << "||" << 0 << 0;
    }

    void baselineDecidesWhetherRulesRun() {
        QFETCH(std::vector<double>, baseline);
        QFETCH(int, outcome);
        QFETCH(double, sd);
        QFETCH(QString, flags);
        QFETCH(int, warnings);
        QFETCH(int, rejections);
        const std::vector<double> series = {12.5, 10, 14};
        const Analysis a = analyse(series, baseline);
        QCOMPARE(int(a.outcome), outcome);
        QCOMPARE(a.baseline.count, baseline.size());
        QVERIFY(std::abs(a.baseline.sd - sd) < 1e-12);
        QCOMPARE(flagsOf(a.flags), flags);
        QCOMPARE(a.warnings, warnings);
        QCOMPARE(a.rejections, rejections);
    }
};

QTEST_APPLESS_MAIN(TestQcRules)
#include "test_qc_rules.moc"
