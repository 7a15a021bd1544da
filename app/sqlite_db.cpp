#include "sqlite_db.h"

#include "conversions.h"
#include "errors.h"

#include <sqlite3.h>
#include <utility>

namespace kr7::sql {

void raise(sqlite3* db, int rc) {
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw Error(errnum::RecordLocked,
                    QStringLiteral("Could not update; currently locked by another program (%1)")
                        .arg(message));
    if (primary == SQLITE_NOMEM)
        throw Error(errnum::OutOfMemory, QStringLiteral("Out of memory"));
    throw Error(errnum::ProviderError, message);
}

namespace {
void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK)
        raise(db, rc);
}
} // namespace

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, const Value& value) {
    int rc = SQLITE_OK;
    switch (value.kind()) {
    case Value::Kind::Empty:
        rc = sqlite3_bind_text(stmt_, index, "", 0, SQLITE_STATIC);
        break;
    case Value::Kind::Null:
        rc = sqlite3_bind_null(stmt_, index);
        break;
    case Value::Kind::Text: {
        const QByteArray utf8 = value.asText().toUtf8();
        rc = sqlite3_bind_text64(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
    }
    case Value::Kind::Whole:
        rc = sqlite3_bind_int64(stmt_, index, value.asWhole());
        break;
    case Value::Kind::Floating:
        rc = sqlite3_bind_double(stmt_, index, value.asFloating());
        break;
    case Value::Kind::Date: {
        const QByteArray utf8 = conv::storedDateText(value.asDate()).toUtf8();
        rc = sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Kind::YesNo:
        rc = sqlite3_bind_int(stmt_, index, value.asYesNo() ? 1 : 0);
        break;
    }
    check(db_, rc);
    return *this;
}

Statement& Statement::bindAll(std::initializer_list<Value> values) {
    int index = 1;
    for (const Value& v : values)
        bind(index++, v);
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    raise(db_, rc);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int index) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, index));
}

Value Statement::column(int index) const {
    switch (columnKind(index)) {
    case Value::Kind::Null:
        return Value::null();
    case Value::Kind::Whole:
        return Value::whole(columnWhole(index));
    case Value::Kind::Floating:
        return Value::floating(columnFloating(index));
    default:
        return Value::text(columnText(index));
    }
}

// A blob reads as its bytes, as the text it was meant to be.
Value::Kind Statement::columnKind(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return Value::Kind::Null;
    case SQLITE_INTEGER:
        return Value::Kind::Whole;
    case SQLITE_FLOAT:
        return Value::Kind::Floating;
    default:
        return Value::Kind::Text;
    }
}

std::string_view Statement::columnUtf8(int index) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return {text ? text : "", std::size_t(sqlite3_column_bytes(stmt_, index))};
}

bool Statement::columnIsNull(int index) const {
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

std::int64_t Statement::columnWhole(int index) const {
    return sqlite3_column_int64(stmt_, index);
}

double Statement::columnFloating(int index) const {
    return sqlite3_column_double(stmt_, index);
}

QString Statement::columnText(int index) const {
    const std::string_view text = columnUtf8(index);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Database Database::open(const QString& path, Mode mode) {
    sqlite3* db = nullptr;
    const int access = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                       : mode == Mode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                              : SQLITE_OPEN_READWRITE;
    const int flags =
        access | (mode == Mode::OneThread ? SQLITE_OPEN_NOMUTEX : SQLITE_OPEN_FULLMUTEX);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    Database opened(db);
    check(db, rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // An acknowledged write must survive a crash or a power cut.
    opened.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    return opened;
}

Database::Database(Database&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::exec(const QString& sql) {
    check(db_, sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr));
}

Statement Database::prepare(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    check(db_, sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr));
    return Statement(db_, stmt);
}

std::int64_t Database::changes() const {
    return sqlite3_changes64(db_);
}

std::int64_t Database::lastInsertRowid() const {
    return sqlite3_last_insert_rowid(db_);
}

WriteTransaction::WriteTransaction(Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

WriteTransaction::~WriteTransaction() {
    if (!done_)
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void WriteTransaction::commit() {
    db_.exec(QStringLiteral("COMMIT"));
    done_ = true;
}

} // namespace kr7::sql
