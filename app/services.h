#pragma once

#include <functional>
#include <optional>

class QObject;

namespace kr7 {

class Prompter;
class Clock;

// The few things every part of the program shares and tests replace.
struct Services {
    Prompter* prompter = nullptr;
    Clock* clock = nullptr;
    // Set when the program has been told to end; tests read it.
    std::optional<int> endedWith;
    // Replace the platform's bell and screen-reader alerts when set; tests count them.
    std::function<void()> beeper;
    std::function<void(QObject*)> alerter;
};

Services& services();

// Thrown by endProgram so that nothing after the decision to end runs. It is not an
// error: traps let it pass; main and the event-dispatch guard stop there.
struct ProgramEnded {
    int exitCode;
};

// The platform's bell: a key the screen stopped.
void beep();
// An alert that screen readers announce, raised on the control that shows it.
void raiseAlert(QObject* source);

// Ends the program at once: leaves every event loop and unwinds to main.
[[noreturn]] void endProgram(int exitCode);

} // namespace kr7
