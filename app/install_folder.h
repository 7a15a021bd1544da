#pragma once

#include <QString>
#include <functional>

class QIODevice;

// The program's fixed folder and the files in it. KR7_HOME, when set, replaces the folder
// (tests, demos, and a site that keeps the data elsewhere).
namespace kr7::files {

// The folder with a trailing separator, in the platform's own spelling ("C:\Halvik\KR7\").
QString installFolder();
QString databaseFile();
QString errorLogFile();
QString instanceLockFile();

// Writes the file whole or not at all: `write` fills it, and only a complete file replaces
// one of that name. Throws the file error, naming the file, when it cannot be written.
void writeWhole(const QString& path, const std::function<void(QIODevice&)>& write);

inline const QString kDatabaseFileName = QStringLiteral("KR7-d-4-0.db");
inline const QString kErrorLogFileName = QStringLiteral("KR7_error_log.txt");

} // namespace kr7::files
