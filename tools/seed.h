#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace kr7::sql {
class Database;
}

// Makes databases: the working records every site starts with, demo results and calibrant
// tubes, and synthetic results in bulk for benchmarks.
namespace kr7::seed {

struct Options {
    bool demo = false;
    QDateTime now;
};

// Creates the database file at `path` in WAL mode with every table and the starting
// records. Refuses (kr7::Error) when a file is already there.
void createDatabase(const QString& path, const Options& options);

// Appends `count` synthetic results to T_Samples in one transaction; returns how many.
std::int64_t appendResults(sql::Database& db, std::int64_t count, std::uint32_t seed,
                           const QDateTime& newest);

// Appends `perLevel` runs of each calibrant level (CHECK, LOW, HIGH), evenly spread over the
// `days` before `newest`, in one transaction; returns how many. Their results scatter about
// the level's stated values, drift over the last days and hold a few outliers, as a quality
// control chart should find them.
std::int64_t appendCalibrantRuns(sql::Database& db, std::int64_t perLevel, std::uint32_t seed,
                                 const QDateTime& newest, int days);

} // namespace kr7::seed
