#include "pg.h"

#include <libpq-fe.h>
#include <utility>

namespace kr7::pg {

namespace {

// libpq's messages run over several lines ("...failed: Connection refused\n\tIs the server
// running..."): one line reads better in a message box and a log.
QString oneLine(const char* message) {
    return QString::fromUtf8(message).simplified();
}

} // namespace

Error unreachable(const QString& reason) {
    return Error(errnum::ProviderError,
                 QStringLiteral("Central database not reachable: ") + reason);
}

Result::Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}

Result& Result::operator=(Result&& other) noexcept {
    if (this != &other) {
        PQclear(result_);
        result_ = std::exchange(other.result_, nullptr);
    }
    return *this;
}

Result::~Result() {
    PQclear(result_);
}

int Result::rows() const {
    return PQntuples(result_);
}

int Result::columns() const {
    return PQnfields(result_);
}

QString Result::columnName(int column) const {
    return QString::fromUtf8(PQfname(result_, column));
}

unsigned Result::columnType(int column) const {
    return PQftype(result_, column);
}

bool Result::isNull(int row, int column) const {
    return PQgetisnull(result_, row, column) != 0;
}

std::string_view Result::text(int row, int column) const {
    return {PQgetvalue(result_, row, column), std::size_t(PQgetlength(result_, row, column))};
}

QString Result::qtext(int row, int column) const {
    const std::string_view cell = text(row, column);
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

std::int64_t Result::affected() const {
    return QByteArray(PQcmdTuples(result_)).toLongLong();
}

Connection Connection::open(const QString& url) {
    Connection connection(PQconnectdb(url.toUtf8().constData()));
    if (!connection.conn_)
        throw unreachable(QStringLiteral("out of memory"));
    if (PQstatus(connection.conn_) != CONNECTION_OK)
        throw unreachable(oneLine(PQerrorMessage(connection.conn_)));
    PQsetClientEncoding(connection.conn_, "UTF8");
    // The server's notices ("already exists, skipping") are no concern of the user's.
    PQsetNoticeProcessor(
        connection.conn_, [](void*, const char*) {}, nullptr);
    return connection;
}

Connection::Connection(Connection&& other) noexcept : conn_(std::exchange(other.conn_, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        PQfinish(conn_);
        conn_ = std::exchange(other.conn_, nullptr);
    }
    return *this;
}

Connection::~Connection() {
    PQfinish(conn_);
}

// A lost connection is an unreachable server, whatever the statement was; anything else is
// the statement's own failure.
void Connection::raise(const QString& what) const {
    const QString message = oneLine(PQerrorMessage(conn_));
    if (PQstatus(conn_) != CONNECTION_OK)
        throw unreachable(message);
    throw Error(errnum::ProviderError,
                QStringLiteral("Central database: %1: %2").arg(what, message));
}

// libpq hands out a result even for a failure; the status says which it is.
Result Connection::checked(PGresult* raw, int expected, const QString& what) const {
    Result result(raw);
    if (!raw || PQresultStatus(raw) != expected)
        raise(what);
    return result;
}

Result Connection::exec(const QString& sql, const std::vector<Param>& params) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const Param& p : params)
        values.push_back(p ? p->constData() : nullptr);
    PGresult* raw = PQexecParams(conn_, sql.toUtf8().constData(), int(values.size()), nullptr,
                                 values.data(), nullptr, nullptr, 0);
    if (raw && PQresultStatus(raw) == PGRES_TUPLES_OK)
        return Result(raw);
    return checked(raw, PGRES_COMMAND_OK, sql.section(u' ', 0, 0));
}

void Connection::copyIn(const QString& copySql, const QByteArray& data) {
    const QString what = QStringLiteral("COPY");
    checked(PQexec(conn_, copySql.toUtf8().constData()), PGRES_COPY_IN, what);
    if (PQputCopyData(conn_, data.constData(), int(data.size())) != 1 ||
        PQputCopyEnd(conn_, nullptr) != 1)
        raise(what);
    checked(PQgetResult(conn_), PGRES_COMMAND_OK, what);
    while (PGresult* extra = PQgetResult(conn_))
        PQclear(extra);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.exec(QStringLiteral("BEGIN"));
}

Transaction::~Transaction() {
    if (!done_)
        PQclear(PQexec(connection_.handle(), "ROLLBACK"));
}

void Transaction::commit() {
    connection_.exec(QStringLiteral("COMMIT"));
    done_ = true;
}

} // namespace kr7::pg
