#pragma once

#include "errors.h"
#include "prompter.h"

#include <QDateTime>
#include <chrono>

namespace kr7 {

// How often a record-locked error (3260) is retried without asking, and how long to wait
// before each try, before the conflict is shown like any other error.
constexpr int kSilentLockRetries = 6;
constexpr std::chrono::milliseconds kLockRetryWait{250};

// Logs the error, then shows it in an Abort/Retry/Ignore box and returns the answer; Abort
// ends the program. A record-locked error is answered Retry without a box while
// `lockRetriesSoFar` is below the silent limit. `name` is the reporting procedure's name or
// a message; `error` is empty (number 0) for a plain message.
Answer Report_error(const QString& name, const ErrorInfo& error = {}, int lockRetriesSoFar = 0);

// Appends one line to the error log. Throws the file error when the log cannot be written.
void Write_error_log(const QString& name, const ErrorInfo& error = {});

// The texts themselves, for the log and the box.
QString errorLogLine(const QDateTime& now, const QString& name, const ErrorInfo& error);
QString errorBoxText(const QString& name, const ErrorInfo& error);

inline const QString kErrorBoxTitle = QStringLiteral("Contact Support before continuing");
inline const QString kProgramTitle = QStringLiteral("KR7 Software");

} // namespace kr7
