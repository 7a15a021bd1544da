#include "clock.h"

#include "conversions.h"

#include <thread>

namespace kr7 {

QDateTime SystemClock::now() const {
    const QDateTime local = QDateTime::currentDateTime();
    const QTime time = local.time();
    return conv::naiveDateTime(local.date(), QTime(time.hour(), time.minute(), time.second()));
}

void SystemClock::sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace kr7
