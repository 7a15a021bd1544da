#pragma once

#include <QString>
#include <cstdint>

namespace kr7::pg {
class Connection;
}

// Sends this instrument's results to the central database. It reads the local file on a
// read-only connection of its own and never writes it.
//
// A result is identified by a hash of its 18 columns (the browser's notion of one result)
// together with the instrument, so a result moved between the two local tables, renumbered
// by a VACUUM or re-entered after a table was emptied is still the same central row. Each
// local table has a high-water mark: the newest test date sent from it. A sync re-reads from
// two hours before the mark (rows written late, a clock put back an hour) and sends every row
// from there in batches; each batch and its mark are one transaction, so a sync broken off
// at any moment resumes without losing or doubling a row.
namespace kr7::central {

struct SyncReport {
    std::int64_t instrument = 0;
    std::int64_t read = 0; // local rows read, whether the central database had them or not
    std::int64_t sent = 0; // rows the central database did not hold before
};

SyncReport syncResults(const QString& localDatabase, pg::Connection& central,
                       int batchRows = 10000);

} // namespace kr7::central
