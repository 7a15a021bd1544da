#pragma once

#include "error_report.h"

#include <QString>
#include <functional>
#include <source_location>

namespace kr7 {

// The error trap of a procedure. Each statement that may fail runs as a step: an error is
// reported under the trap's name; Retry runs the same step again, Ignore goes on with the
// next step (run returns false), Abort ends the program. The step's source line is the
// line the report names.
class Trap {
  public:
    explicit Trap(QString name) : name_(std::move(name)) {}

    bool run(const std::function<void()>& step,
             std::source_location where = std::source_location::current()) const;

    // A step that yields a value; `fallback` when the user chose Ignore.
    template <class T>
    T value(const std::function<T()>& step, T fallback,
            std::source_location where = std::source_location::current()) const {
        T result = std::move(fallback);
        run([&] { result = step(); }, where);
        return result;
    }

    const QString& name() const { return name_; }

  private:
    QString name_;
};

// The trap of the export procedures: the first error is reported and the procedure stops
// there, whatever the answer (Abort still ends the program).
void runOrReport(const QString& name, const std::function<void()>& body,
                 std::source_location where = std::source_location::current());

// What an exception tells the reporter; anything that is not one of ours is an internal
// error carrying its own text.
ErrorInfo errorInfoOf(std::exception_ptr error, std::source_location where);

} // namespace kr7
