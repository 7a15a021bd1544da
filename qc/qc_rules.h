#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Westgard rules over a Levey-Jennings series: values in, flags out. Nothing here knows of
// Qt or the database, so that the chart screen, its tests and a later report use it alike.
namespace kr7::qc {

// 1-2s warns; the other five reject the run.
enum class Rule : std::uint8_t { OneTwoS, OneThreeS, TwoTwoS, RFourS, FourOneS, TenX };
inline constexpr int kRuleCount = 6;

// "1-2s", "1-3s", "2-2s", "R-4s", "4-1s", "10-x".
const char* ruleName(Rule rule);

// The rules one run breaks.
class Flags {
  public:
    void set(Rule rule) { bits_ |= bit(rule); }
    bool has(Rule rule) const { return (bits_ & bit(rule)) != 0; }
    bool any() const { return bits_ != 0; }
    bool rejects() const { return (bits_ & ~bit(Rule::OneTwoS)) != 0; }
    // Only the warning: 1-2s without a rejection.
    bool warnsOnly() const { return bits_ == bit(Rule::OneTwoS); }
    // The names in rule order, comma-separated: "1-2s, 2-2s".
    std::string names() const;
    bool operator==(const Flags&) const = default;

  private:
    static std::uint8_t bit(Rule rule) { return std::uint8_t(1u << unsigned(rule)); }
    std::uint8_t bits_ = 0;
};

// Mean and sample standard deviation (n - 1) of the baseline runs.
struct Baseline {
    std::size_t count = 0;
    double mean = 0;
    double sd = 0;
};
Baseline baselineOf(std::span<const double> values);

// Fewer baseline runs than this give no reliable SD, and no rule is evaluated.
inline constexpr std::size_t kMinBaselineRuns = 20;

// How far a value lies from the mean in SDs. A distance within a hair of a limit counts as
// on it, and on a limit counts as beyond it: a value exactly 2 SD out breaks 1-2s whatever
// the rounding of the mean and SD it was measured against.
double zScore(double value, double mean, double sd);

// Each rule checked at every run on its own, in time order; a rule that spans runs is
// flagged on the run that completes it (the second, fourth or tenth).
//   1-2s  the run is at or beyond 2 SD            1-3s  at or beyond 3 SD
//   2-2s  it and the one before at or beyond the same 2 SD
//   R-4s  it and the one before at or beyond opposite 2 SD
//   4-1s  it and the three before at or beyond the same 1 SD
//   10-x  it and the nine before on the same side of the mean (one on the mean breaks it)
// `sd` must be above 0.
std::vector<Flags> evaluate(std::span<const double> series, double mean, double sd);

enum class Outcome { Evaluated, TooFewBaselineRuns, ZeroSd };

struct Analysis {
    Baseline baseline;
    Outcome outcome = Outcome::Evaluated;
    std::vector<Flags> flags; // one per run of the series; all clear unless Evaluated
    int warnings = 0;         // runs that only warn
    int rejections = 0;       // runs that break a rejection rule
};

// The series judged against the baseline's mean and SD: no rule below kMinBaselineRuns
// baseline runs, nor when the SD is 0.
Analysis analyse(std::span<const double> series, std::span<const double> baseline);

} // namespace kr7::qc
