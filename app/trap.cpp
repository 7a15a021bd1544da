#include "trap.h"

#include "audit.h"

#include <new>

namespace kr7 {

ErrorInfo errorInfoOf(std::exception_ptr error, std::source_location where) {
    const auto line = static_cast<std::int32_t>(where.line());
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return {e.number(), e.description(), line};
    } catch (const std::bad_alloc&) {
        return {errnum::OutOfMemory, QStringLiteral("Out of memory"), line};
    } catch (const std::exception& e) {
        return {errnum::InternalError, QString::fromLocal8Bit(e.what()), line};
    }
}

bool Trap::run(const std::function<void()>& step, std::source_location where) const {
    for (int lockRetries = 0;;) {
        ErrorInfo info;
        try {
            const audit::Place place(name_);
            step();
            return true;
        } catch (const std::exception&) {
            info = errorInfoOf(std::current_exception(), where);
        }
        const Answer answer = Report_error(name_, info, lockRetries);
        if (answer != Answer::Retry)
            return false;
        // After the user's own Retry of a conflict, the silent retries start over.
        if (info.number == errnum::RecordLocked)
            lockRetries = lockRetries < kSilentLockRetries ? lockRetries + 1 : 0;
    }
}

void runOrReport(const QString& name, const std::function<void()>& body,
                 std::source_location where) {
    try {
        body();
    } catch (const std::exception&) {
        Report_error(name, errorInfoOf(std::current_exception(), where));
    }
}

} // namespace kr7
