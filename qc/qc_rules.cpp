#include "qc_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace kr7::qc {

namespace {

// How close to a whole number of SDs a z-score must be to count as on that line: far below
// the three decimals a result is stored with, far above a double's rounding.
constexpr double kOnTheLine = 1e-9;

// Consecutive runs in the same state, the run at hand included.
class Streak {
  public:
    int next(bool holds) { return length_ = holds ? length_ + 1 : 0; }

  private:
    int length_ = 0;
};

// The sign of a distance from the mean that reaches `sds` SDs: +1, -1, or 0 when it does not.
int beyond(double z, double sds) {
    if (z >= sds)
        return 1;
    if (z <= -sds)
        return -1;
    return 0;
}

} // namespace

const char* ruleName(Rule rule) {
    static constexpr std::array<const char*, kRuleCount> names = {"1-2s", "1-3s", "2-2s",
                                                                  "R-4s", "4-1s", "10-x"};
    return names[std::size_t(rule)];
}

std::string Flags::names() const {
    std::string text;
    for (int r = 0; r < kRuleCount; ++r) {
        if (!has(Rule(r)))
            continue;
        if (!text.empty())
            text += ", ";
        text += ruleName(Rule(r));
    }
    return text;
}

Baseline baselineOf(std::span<const double> values) {
    if (values.empty())
        return {};
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    // Equal values have no spread at all; summing them could leave a rounding residue that
    // would pass for a tiny SD and flag every run.
    if (*lowest == *highest)
        return {values.size(), *lowest, 0};
    const double n = double(values.size());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / n;
    double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    return {values.size(), mean, values.size() > 1 ? std::sqrt(squares / (n - 1)) : 0};
}

double zScore(double value, double mean, double sd) {
    const double z = (value - mean) / sd;
    const double line = std::round(z);
    return std::abs(z - line) < kOnTheLine ? line : z;
}

std::vector<Flags> evaluate(std::span<const double> series, double mean, double sd) {
    std::vector<Flags> flags(series.size());
    Streak above1, below1, aboveMean, belowMean;
    int previous2s = 0;
    for (std::size_t i = 0; i < series.size(); ++i) {
        const double z = zScore(series[i], mean, sd);
        const int out2s = beyond(z, 2);
        Flags& f = flags[i];
        if (out2s != 0)
            f.set(Rule::OneTwoS);
        if (beyond(z, 3) != 0)
            f.set(Rule::OneThreeS);
        if (out2s != 0 && previous2s == out2s)
            f.set(Rule::TwoTwoS);
        if (out2s != 0 && previous2s == -out2s)
            f.set(Rule::RFourS);
        const int out1s = beyond(z, 1);
        if (std::max(above1.next(out1s > 0), below1.next(out1s < 0)) >= 4)
            f.set(Rule::FourOneS);
        if (std::max(aboveMean.next(z > 0), belowMean.next(z < 0)) >= 10)
            f.set(Rule::TenX);
        previous2s = out2s;
    }
    return flags;
}

Analysis analyse(std::span<const double> series, std::span<const double> baseline) {
    Analysis a;
    a.baseline = baselineOf(baseline);
    a.flags.resize(series.size());
    if (a.baseline.count < kMinBaselineRuns)
        a.outcome = Outcome::TooFewBaselineRuns;
    else if (a.baseline.sd == 0)
        a.outcome = Outcome::ZeroSd;
    if (a.outcome != Outcome::Evaluated)
        return a;
    a.flags = evaluate(series, a.baseline.mean, a.baseline.sd);
    for (const Flags& f : a.flags) {
        a.warnings += f.warnsOnly() ? 1 : 0;
        a.rejections += f.rejects() ? 1 : 0;
    }
    return a;
}

} // namespace kr7::qc
