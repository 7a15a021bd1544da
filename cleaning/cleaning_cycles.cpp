#include "cleaning_cycles.h"

#include "common_procs.h"

#include <array>

namespace kr7::cleaning {

namespace {

constexpr int kFirstWashSlot = 33;
constexpr int kFirstTimeField = 66;

} // namespace

int cycleSlot(int cycle, Phase phase) {
    return kFirstWashSlot + (cycle - 1) + (phase == Phase::Dry ? kCycles : 0);
}

std::optional<CyclePhase> cycleOfSlot(int slot) {
    for (const Phase phase : kPhases) {
        const int cycle = slot - cycleSlot(1, phase) + 1;
        if (cycle >= 1 && cycle <= kCycles)
            return CyclePhase{cycle, phase};
    }
    return std::nullopt;
}

QString timeField(int row, Phase phase) {
    const int number = kFirstTimeField + 2 * row + (phase == Phase::Dry ? 1 : 0);
    return QStringLiteral("PI_%1").arg(number);
}

std::span<const Moment> moments() {
    static const std::array<Moment, 3> table = {{
        {QStringLiteral("Pre-test Wash"),
         QStringLiteral("Done prior to testing if wash not done for a timed period"),
         QStringLiteral("txt_startup_clean"), QStringLiteral("PI_48"), 30, 31,
         QStringLiteral("PI_82"), QStringLiteral("PI_83")},
        {QStringLiteral("Post-test Clean"), QStringLiteral("Done after testing"),
         QStringLiteral("txt_post_test_clean"), QStringLiteral("PI_50"), 28, 29,
         QStringLiteral("PI_84"), QStringLiteral("PI_85")},
        {QStringLiteral("Menu Clean"), QStringLiteral("User initiated clean"),
         QStringLiteral("txt_menu_clean"), QStringLiteral("PI_52"), 24, 25, QStringLiteral("PI_86"),
         QStringLiteral("PI_87")},
    }};
    return table;
}

std::vector<const Moment*> momentsRunning(int cycle) {
    std::vector<const Moment*> running;
    for (const Moment& m : moments())
        if (Get_PIC_list_value(m.cycleField).toText().trimmed() == QString::number(cycle))
            running.push_back(&m);
    return running;
}

} // namespace kr7::cleaning
