// A stand-in for this program in the crash test: it writes through the configuration store
// as the screens do, and says "ACK n" once the n-th write is committed.

#include "clock.h"
#include "common_procs.h"
#include "database.h"
#include "prompter.h"
#include "services.h"
#include "trap.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// Nobody is there to answer: a conflict that outlasts the silent retries is tried again.
class RetryingPrompter : public kr7::Prompter {
  public:
    kr7::Answer ask(const kr7::Prompt& prompt) override {
        std::printf("BOX %s\n", qPrintable(prompt.text));
        return kr7::Answer::Retry;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RetryingPrompter prompter;
    kr7::SystemClock clock;
    kr7::services().prompter = &prompter;
    kr7::services().clock = &clock;
    const kr7::Trap trap(QStringLiteral("store_writer : write"));
    // Counting on from what is stored lets a test tell this run's writes from the last one's.
    const int first = trap.value<int>(
        [] {
            kr7::Open_database();
            return int(kr7::Get_PC_Config_value(QStringLiteral("PC_01")).toNumber()) + 1;
        },
        1);
    for (int n = first;; ++n) {
        trap.run([n] {
            kr7::update_PC_Config_value(QStringLiteral("PC_01"), kr7::Value::whole(n));
            kr7::update_PIC_Param_value(10, kr7::Value::whole(n % 10000));
        });
        std::printf("ACK %d\n", n);
        std::fflush(stdout);
    }
}
