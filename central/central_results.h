#pragma once

#include "row_cursor.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Reading the central results database: the rows the results browser and the quality control
// screen show for one instrument or for all of them. Each reader has a connection of its
// own (so that it can run on a worker thread) and fetches its rows from a server-side cursor
// a few thousand at a time, never all at once.
namespace kr7::central {

// The browser's 18 columns by their names, then INSTRUMENT, newest first; every instrument
// when none is given. Throws "Central database not reachable: ..." when the server is.
std::unique_ptr<RowCursor> openResults(const QString& url, std::optional<int> instrument = {});

// The calibrant runs of one record type tested from `from` up to (not including) `to`
// (stored date texts), oldest first, in the columns qc::readRuns reads: DATE_TESTED, BARCODE,
// RUNTIME, PV1_NUMBER, PV2_NUMBER, PV_LOW, PV_HIGH, PIC_ID.
std::unique_ptr<RowCursor> openRuns(const QString& url, int recordType, const QString& from,
                                    const QString& to, std::optional<int> instrument = {});

// Runs `read`, which reads the central database. When that fails (most often "Central
// database not reachable: <reason>") the user is told in a message box and false comes back,
// so that the screen goes on with this instrument's own file.
bool readCentral(const std::function<void()>& read);

// The instruments that have sent results, in number order.
std::vector<int> syncedInstruments(const QString& url);

} // namespace kr7::central
