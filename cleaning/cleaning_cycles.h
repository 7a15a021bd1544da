#pragma once

#include <QString>
#include <optional>
#include <span>
#include <vector>

// The cleaning cycles and the three moments at which the instrument cleans itself. Each
// moment runs the cycle its T_PIC_list field names, from copies of that cycle's labels and
// times: the wash cycle screen makes the copies when a cycle is chosen, the label screen
// keeps them current when the chosen cycle's label or time changes.
namespace kr7::cleaning {

enum class Phase { Wash, Dry };
inline constexpr Phase kPhases[] = {Phase::Wash, Phase::Dry};

// Cycles 1 to 5 have labels, times and a description; the wash cycle screen offers 1 to 3.
constexpr int kCycles = 5;
constexpr int kOfferedCycles = 3;
// The time rows: the five cycles, then enzyme, steriliser and water.
constexpr int kTimeRows = 8;

// The label slot of a cycle's wash or dry phase: 33 to 37, 38 to 42. The wash slot also
// holds the cycle's description.
int cycleSlot(int cycle, Phase phase);

struct CyclePhase {
    int cycle;
    Phase phase;
};
// Which cycle's label a slot holds; nothing for the other slots.
std::optional<CyclePhase> cycleOfSlot(int slot);

// The T_PIC_list field of a time row's seconds: PI_66 + 2r for wash, PI_67 + 2r for dry.
QString timeField(int row, Phase phase);

// A moment of cleaning: where its chosen cycle is kept and where that cycle is copied to.
struct Moment {
    QString caption; // the moment's name on the screens
    QString note;
    QString control;    // the wash cycle screen's field
    QString cycleField; // holds the text of the chosen cycle, "1" to "5"
    int washSlot;
    int drySlot;
    QString washTimeCopy;
    QString dryTimeCopy;

    int slot(Phase phase) const { return phase == Phase::Wash ? washSlot : drySlot; }
    const QString& timeCopy(Phase phase) const {
        return phase == Phase::Wash ? washTimeCopy : dryTimeCopy;
    }
};

// Start-up (pre-test), post-test and menu cleaning, in that order.
std::span<const Moment> moments();

// The moments whose cycle field, as stored now, names the cycle: each is tested by itself,
// so one cycle may run at two or three moments.
std::vector<const Moment*> momentsRunning(int cycle);

} // namespace kr7::cleaning
