#pragma once

#include "row_cursor.h"
#include "value.h"

#include <QString>
#include <initializer_list>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A small RAII wrapper over SQLite's C API: a connection, a prepared statement and a write
// transaction. Failures become kr7::Error: a busy or locked database is the record-locked
// error (3260) that the reporter retries, anything else the provider's error.
namespace kr7::sql {

class Statement : public RowCursor {
  public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() override;

    // Parameters count from 1, as in SQL. Dates bind as their stored text, Yes/No as 0/1.
    Statement& bind(int index, const Value& value);
    Statement& bindAll(std::initializer_list<Value> values);

    // Runs to the next row; false when there is none left.
    bool step() override;
    // Runs a statement that returns no rows.
    void run();
    void reset();

    int columnCount() const override;
    QString columnName(int index) const override;
    // The cell as SQLite holds it: null, whole, floating or text.
    Value column(int index) const;
    bool columnIsNull(int index) const;
    std::int64_t columnWhole(int index) const override;
    double columnFloating(int index) const override;
    QString columnText(int index) const;
    // Null, Whole, Floating or Text, and a text cell's UTF-8 bytes as SQLite holds them (valid
    // until the next step): bulk readers take cells without a QString each.
    Value::Kind columnKind(int index) const override;
    std::string_view columnUtf8(int index) const override;

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

class Database {
  public:
    // OneThread: a connection that only one thread ever uses, so that SQLite need not lock it
    // around every call (a million rows read cell by cell spend a sixth of their time there).
    // ReadOnly: a reader that must never write the shared file cannot change it at all.
    enum class Mode { ReadWrite, Create, OneThread, ReadOnly };

    Database() = default;
    // Never creates a file unless asked to: a missing database must stay missing.
    static Database open(const QString& path, Mode mode = Mode::ReadWrite);
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    bool isOpen() const { return db_ != nullptr; }
    void exec(const QString& sql);
    Statement prepare(const QString& sql);
    std::int64_t changes() const;
    std::int64_t lastInsertRowid() const;
    sqlite3* handle() const { return db_; }

  private:
    explicit Database(sqlite3* db) : db_(db) {}
    sqlite3* db_ = nullptr;
};

// One short write: BEGIN IMMEDIATE takes the write lock at the start, so a conflict with
// the instrument's program shows at once (after the busy wait) instead of in the middle.
class WriteTransaction {
  public:
    explicit WriteTransaction(Database& db);
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    ~WriteTransaction();
    void commit();

  private:
    Database& db_;
    bool done_ = false;
};

// Runs `write` in its own write transaction and commits it.
template <class F> auto inWriteTransaction(Database& db, F&& write) {
    WriteTransaction transaction(db);
    if constexpr (std::is_void_v<decltype(write())>) {
        write();
        transaction.commit();
    } else {
        auto result = write();
        transaction.commit();
        return result;
    }
}

// How long a statement waits for the instrument's program to release the file before it
// fails with the record-locked error.
constexpr int kBusyTimeoutMs = 500;

[[noreturn]] void raise(sqlite3* db, int rc);

} // namespace kr7::sql
