#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

// A small RAII wrapper over libpq for the central results database: a connection from a URL,
// statements with bound text parameters, their results, a transaction and COPY FROM STDIN.
// Failures become kr7::Error; a server that cannot be reached, or is lost on the way, says
// "Central database not reachable: <reason>".
namespace kr7::pg {

// A parameter's text, as PostgreSQL reads it for the parameter's type; nothing for a null.
using Param = std::optional<QByteArray>;

Error unreachable(const QString& reason);

class Result {
  public:
    explicit Result(pg_result* result) : result_(result) {}
    Result(Result&& other) noexcept;
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result();

    int rows() const;
    int columns() const;
    QString columnName(int column) const;
    // The column's type as the server names it (its oid).
    unsigned columnType(int column) const;
    bool isNull(int row, int column) const;
    // The cell's text as the server sent it, valid as long as the result.
    std::string_view text(int row, int column) const;
    QString qtext(int row, int column) const;
    // How many rows an INSERT, UPDATE or DELETE touched.
    std::int64_t affected() const;

  private:
    pg_result* result_;
};

class Connection {
  public:
    // Connects and speaks UTF-8. The URL is a libpq connection URI or key=value text; it is
    // never repeated in a message, since it may hold the password.
    static Connection open(const QString& url);
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    Result exec(const QString& sql, const std::vector<Param>& params = {});
    // Runs `COPY ... FROM STDIN` and sends `data` (the COPY text format) as its rows.
    void copyIn(const QString& copySql, const QByteArray& data);
    pg_conn* handle() const { return conn_; }

  private:
    explicit Connection(pg_conn* conn) : conn_(conn) {}
    [[noreturn]] void raise(const QString& what) const;
    Result checked(pg_result* raw, int expected, const QString& what) const;
    pg_conn* conn_ = nullptr;
};

// Rolls back unless committed.
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    void commit();

  private:
    Connection& connection_;
    bool done_ = false;
};

// A whole number as a parameter's text.
inline Param param(std::int64_t n) {
    return QByteArray::number(qlonglong(n));
}
inline Param param(const QString& text) {
    return text.toUtf8();
}

} // namespace kr7::pg
