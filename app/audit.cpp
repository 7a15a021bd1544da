#include "audit.h"

#include "clock.h"
#include "conversions.h"
#include "platform.h"
#include "services.h"
#include "sqlite_db.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSysInfo>
#include <optional>

namespace kr7::audit {

namespace {

const QByteArray kFirstPreviousHash(64, '0');

const QString kCreateTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS T_Audit_trail (AU_01 INTEGER PRIMARY KEY, AU_02 TEXT, "
    "AU_03 TEXT, AU_04 TEXT, AU_05 TEXT, AU_06 TEXT, AU_07 TEXT, AU_08 TEXT, AU_09 TEXT, "
    "AU_10 TEXT, AU_11 TEXT)");
const QString kRefuseUpdate =
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS T_Audit_trail_no_update BEFORE UPDATE ON "
                   "T_Audit_trail BEGIN SELECT RAISE(ABORT, 'the audit trail is never "
                   "changed'); END");
const QString kRefuseDelete =
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS T_Audit_trail_no_delete BEFORE DELETE ON "
                   "T_Audit_trail BEGIN SELECT RAISE(ABORT, 'the audit trail is never "
                   "changed'); END");

void appendField(QByteArray& out, const char* utf8, qsizetype size) {
    out += 'T';
    out += QByteArray::number(size);
    out += ':';
    out.append(utf8, size);
    out += ';';
}

void appendField(QByteArray& out, const Value& field) {
    if (field.isNull()) {
        out += "N;";
        return;
    }
    const QByteArray utf8 = field.toText().toUtf8();
    appendField(out, utf8.constData(), utf8.size());
}

QByteArray hashOf(const QByteArray& input) {
    return QCryptographicHash::hash(input, QCryptographicHash::Sha256).toHex();
}

QByteArray hashOf(const Value (&fields)[10], const QByteArray& previousHash) {
    return hashOf(hashInput(fields, previousHash));
}

Value textOrNull(const Value& v) {
    return v.isNull() ? Value::null() : Value::text(v.toText());
}

thread_local std::optional<QString> innermostPlace;

// A stored row's hash input, taken from SQLite's own UTF-8 (the bytes `append` hashed)
// without a QString per cell, so that a hundred thousand rows verify in a moment.
const QByteArray& storedRowInput(const sql::Statement& row, QByteArray& input,
                                 const QByteArray& previousHash) {
    input.clear();
    for (int i = 0; i < 10; ++i) {
        if (row.columnIsNull(i)) {
            input += "N;";
            continue;
        }
        const std::string_view utf8 = row.columnUtf8(i);
        appendField(input, utf8.data(), qsizetype(utf8.size()));
    }
    input += previousHash;
    return input;
}

} // namespace

Place::Place(const QString& name)
    : outer_(innermostPlace.value_or(QString())), hadOuter_(innermostPlace.has_value()) {
    innermostPlace = name;
}

Place::~Place() {
    if (hadOuter_)
        innermostPlace = outer_;
    else
        innermostPlace.reset();
}

QString Place::current() {
    return innermostPlace.value_or(QCoreApplication::applicationName());
}

QByteArray hashInput(const Value (&fields)[10], const QByteArray& previousHash) {
    QByteArray input;
    for (const Value& field : fields)
        appendField(input, field);
    return input + previousHash;
}

void ensureTrail(sql::Database& db) {
    db.exec(kCreateTable);
    db.exec(kRefuseUpdate);
    db.exec(kRefuseDelete);
}

void append(sql::Database& db, const Entry& entry) {
    ensureTrail(db);
    auto last = db.prepare(
        QStringLiteral("SELECT AU_01, AU_11 FROM T_Audit_trail ORDER BY AU_01 DESC LIMIT 1"));
    const bool hasLast = last.step();
    const std::int64_t number = hasLast ? last.columnWhole(0) + 1 : 1;
    const QByteArray previousHash = hasLast ? last.columnText(1).toLatin1() : kFirstPreviousHash;
    const Value fields[10] = {
        Value::text(QString::number(number)),
        Value::text(conv::storedDateText(services().clock->now())),
        Value::text(platform::accountName()),
        Value::text(QSysInfo::machineHostName()),
        Value::text(entry.where),
        Value::text(entry.table),
        Value::text(entry.field),
        textOrNull(entry.key),
        textOrNull(entry.oldValue),
        textOrNull(entry.newValue),
    };
    auto insert = db.prepare(QStringLiteral(
        "INSERT INTO T_Audit_trail VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"));
    insert.bind(1, Value::whole(number));
    for (int i = 1; i < 10; ++i)
        insert.bind(i + 1, fields[i]);
    insert.bind(11, Value::text(QString::fromLatin1(hashOf(fields, previousHash))));
    insert.run();
}

Verdict verify(sql::Database& db) {
    auto rows = db.prepare(QStringLiteral(
        "SELECT AU_01, AU_02, AU_03, AU_04, AU_05, AU_06, AU_07, AU_08, AU_09, AU_10, AU_11 "
        "FROM T_Audit_trail ORDER BY AU_01"));
    Verdict verdict;
    QByteArray previousHash = kFirstPreviousHash;
    QByteArray input;
    while (rows.step()) {
        const std::int64_t number = rows.columnWhole(0);
        ++verdict.rows;
        if (verdict.intact() && number != verdict.rows) {
            verdict.alteredAt = number;
            verdict.why = number > verdict.rows ? QStringLiteral("rows before it are missing")
                                                : QStringLiteral("its number is out of order");
        }
        const QByteArray stored = rows.columnText(10).toLatin1();
        if (verdict.intact() && hashOf(storedRowInput(rows, input, previousHash)) != stored) {
            verdict.alteredAt = number;
            verdict.why = QStringLiteral("its contents do not match its hash");
        }
        previousHash = stored;
    }
    return verdict;
}

} // namespace kr7::audit
