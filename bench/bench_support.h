#pragma once

// What the benchmarks share: message boxes written out instead of shown, the system's
// clock, and a stopwatch.

#include "clock.h"
#include "database.h"
#include "guarded_application.h"
#include "prompter.h"
#include "services.h"

#include <QElapsedTimer>
#include <cstdio>

namespace kr7::bench {

// Any message box would stop the measurement: its text goes to the output instead.
class PrintingPrompter : public Prompter {
  public:
    Answer ask(const Prompt& prompt) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(prompt.text));
        return prompt.buttons == Buttons::AbortRetryIgnore ? Answer::Ignore : Answer::Ok;
    }
};

// The program's services while a benchmark runs.
class BenchServices {
  public:
    BenchServices() {
        services().prompter = &prompter_;
        services().clock = &clock_;
    }
    ~BenchServices() {
        services().prompter = nullptr;
        services().clock = nullptr;
    }
    BenchServices(const BenchServices&) = delete;
    BenchServices& operator=(const BenchServices&) = delete;

  private:
    PrintingPrompter prompter_;
    SystemClock clock_;
};

inline int& offscreen(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

// A benchmark program: offscreen, the program's services in place, the install folder's
// database open, and the mode its first argument asks for.
class BenchProgram {
  public:
    BenchProgram(int& argc, char** argv)
        : app_(offscreen(argc), argv), mode(argc > 1 ? QByteArray(argv[1]) : QByteArray()) {
        Open_database();
    }

  private:
    GuardedApplication app_;
    BenchServices services_;

  public:
    const QByteArray mode;
};

template <class F> double seconds(F&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace kr7::bench
