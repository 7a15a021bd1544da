#pragma once

#include "value.h"

#include <QString>
#include <cstdint>

namespace kr7::sql {
class Database;
}

// The audit trail: one row for every change this program makes to the shared database,
// written in the same transaction as the change, each row's hash covering the row before
// it, so that an edited, removed or inserted row shows.
namespace kr7::audit {

inline const QString kTable = QStringLiteral("T_Audit_trail");

// Creates the table and the triggers that refuse UPDATE and DELETE on it, where the file
// lacks them (files made before the trail existed), inside the caller's write transaction.
// The instrument's program never reads the table.
void ensureTrail(sql::Database& db);

// What one audit row says of a change; who and when are filled in by `append`.
struct Entry {
    QString where; // screen and control or command, as the error reports name them
    QString table;
    QString field;  // "*" for a whole record added or deleted, or a table emptied
    Value key;      // "PIC_01 = 34"; null for a single-record table
    Value oldValue; // stored text, or null
    Value newValue;
};

// Where the program is while a handler runs: the trap's name ("frm_config :
// txt_params(10)_LostFocus"), so that every change made below it is recorded under the name
// the error reports use, without each write path carrying it.
class Place {
  public:
    explicit Place(const QString& name);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;
    // The innermost place; the program's name when no handler runs (kr7-db).
    static QString current();

  private:
    QString outer_;
    bool hadOuter_;
};

// Appends the entry's row. Must run inside the write transaction of the change it records.
void append(sql::Database& db, const Entry& entry);

struct Verdict {
    std::int64_t rows = 0;
    std::int64_t alteredAt = 0; // AU_01 of the first row that does not verify; 0: intact
    QString why;
    bool intact() const { return alteredAt == 0; }
};

// Walks the whole chain.
Verdict verify(sql::Database& db);

// The text a row's hash is taken over: each field length-prefixed (so that no content,
// control characters included, can imitate a boundary), null as a marker of its own, then
// the previous row's hash.
QByteArray hashInput(const Value (&fields)[10], const QByteArray& previousHash);

} // namespace kr7::audit
