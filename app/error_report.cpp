#include "error_report.h"

#include "clock.h"
#include "conversions.h"
#include "install_folder.h"
#include "services.h"

#include <QFile>

namespace kr7 {

QString errorLogLine(const QDateTime& now, const QString& name, const ErrorInfo& error) {
    QString line = now.toString(QStringLiteral("dd-MM-yy HH:mm:ss")) + QStringLiteral(" - ");
    if (error.line > 0)
        line += QStringLiteral(" ERL ") + conv::strNumber(error.line);
    if (error.number > 0)
        line += QStringLiteral(" ERR ") + conv::strNumber(error.number) + QStringLiteral(" - ") +
                error.description;
    return line + name;
}

QString errorBoxText(const QString& name, const ErrorInfo& error) {
    QString text = name;
    if (error.line > 0)
        text += QStringLiteral(" : Error on line ") + conv::strNumber(error.line);
    if (error.number > 0)
        text += QStringLiteral(" : %1 %2").arg(error.number).arg(error.description);
    return text;
}

void Write_error_log(const QString& name, const ErrorInfo& error) {
    QFile log(files::errorLogFile());
    const QByteArray line =
        (errorLogLine(services().clock->now(), name, error) + QStringLiteral("\r\n")).toUtf8();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(line) != line.size() ||
        !log.flush())
        throw Error(errnum::FileError, log.errorString());
}

Answer Report_error(const QString& name, const ErrorInfo& error, int lockRetriesSoFar) {
    QString logFailure;
    try {
        Write_error_log(name, error);
    } catch (const Error& e) {
        logFailure = e.description();
    }
    if (error.number == errnum::RecordLocked && lockRetriesSoFar < kSilentLockRetries) {
        services().clock->sleep(kLockRetryWait);
        return Answer::Retry;
    }
    QString text = errorBoxText(name, error);
    if (!logFailure.isEmpty())
        text += QStringLiteral("\n\n(The error log %1 could not be written: %2)")
                    .arg(files::errorLogFile(), logFailure);
    const Answer answer =
        services().prompter->ask({text, kErrorBoxTitle, Icon::None, Buttons::AbortRetryIgnore});
    if (answer == Answer::Abort)
        endProgram(1);
    return answer;
}

} // namespace kr7
