#pragma once

#include <QDateTime>
#include <chrono>

namespace kr7 {

// "Now" for the whole program: the daily password, the hours-since fields, "Set to Now" and
// the log's time stamps all ask here, so that tests can set the time.
class Clock {
  public:
    virtual ~Clock() = default;
    // The PC's wall-clock time, without a time zone.
    virtual QDateTime now() const = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override;
    void sleep(std::chrono::milliseconds duration) override;
};

} // namespace kr7
