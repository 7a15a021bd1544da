#pragma once

#include "schema.h"
#include "sqlite_db.h"
#include "value.h"

#include <vector>

namespace kr7 {

// Opens the shared connection to the install folder's database and checks that the three
// configuration tables can be read. Called once, at start-up.
void Open_database();

// The shared connection, for every screen that reads or writes records of its own.
sql::Database& Get_connection();

// A short-lived connection of its own, for the delete statements that want one.
sql::Database openSecondConnection();

// Drops the shared connection (tests start each case on a fresh database).
void closeDatabase();

namespace store {

// A value made fit for a field, the way the original database converted an assignment: a
// number text into a number field, 1/0/-1 into Yes/No, a day-first date text into a date.
// Throws Type mismatch (13) when it cannot, the multiple-step error when a text is too long
// for the field, Overflow (6) for a number too large for a whole-number field.
Value fitForField(const schema::Column& column, const Value& value);

// A stored cell as the program sees it: dates as dates, Yes/No as Yes/No.
Value fromStored(const schema::Column& column, const Value& stored);

// The column of a table by its field code; throws Item not found (3265) when the schema has
// no such field.
const schema::Column& columnOf(const QString& table, const QString& field);

// The first record's field, the way a single-record table is read. Throws "no current
// record" (3021) when the table is empty.
Value readFirstRecord(sql::Database& db, const QString& table, const QString& field);

// Writes the first record's field in its own write transaction.
void writeFirstRecord(sql::Database& db, const QString& table, const QString& field,
                      const Value& value);

// A record as the store finds it and the audit trail names it: by the values of its key
// fields (compared with IS, so a null key finds a null), the first of them naming it in the
// trail ("PIC_01 = 34"). No key fields: the first record of a single-record table. Where
// several records match, the first in the order of `firstBy` (then of rowid) is the one.
struct Record {
    QString table;
    std::vector<std::pair<QString, Value>> key;
    QString firstBy{};
};

// The edits of one change. Each reads the old value, writes, and appends its audit row, all
// inside the change's write transaction; an edit that leaves the stored value as it was
// records nothing.
class Changes {
  public:
    explicit Changes(sql::Database& db) : db_(db) {}

    bool exists(const Record& record);
    // Returns false when the value stored was already that one. Throws "no current record"
    // when there is no such record.
    bool setField(const Record& record, const QString& field, const Value& value);
    // One audit row per field written; the record's key names it in each.
    void addRecord(const Record& record, const std::vector<std::pair<QString, Value>>& fields);
    // One audit row with the field "*" and the record's `referenceField` as the old value.
    // Returns false when there was no such record.
    bool deleteRecord(const Record& record, const QString& referenceField);
    // One audit row with the number of records deleted as the old value.
    std::int64_t emptyTable(const QString& table);

  private:
    sql::Database& db_;
};

// The one way the program changes the shared database: `edits` runs in its own write
// transaction, and a change that fails or is rolled back leaves no audit row.
template <class F> auto change(sql::Database& db, F&& edits) {
    return sql::inWriteTransaction(db, [&] {
        Changes changes(db);
        return edits(changes);
    });
}

} // namespace store

} // namespace kr7
