#include "database.h"

#include "audit.h"
#include "conversions.h"
#include "errors.h"
#include "install_folder.h"

#include <optional>

namespace kr7 {

namespace {

std::optional<sql::Database>& sharedConnection() {
    static std::optional<sql::Database> connection;
    return connection;
}

QString quoted(const QString& identifier) {
    return u'"' + identifier + u'"';
}

bool yesNoFromText(const QString& text, bool& result) {
    static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"),
                                    QStringLiteral("on")};
    static const QStringList no = {QStringLiteral("false"), QStringLiteral("no"),
                                   QStringLiteral("off")};
    const QString t = text.trimmed().toLower();
    if (yes.contains(t) || no.contains(t)) {
        result = yes.contains(t);
        return true;
    }
    if (conv::isNumeric(t)) {
        result = conv::leadingNumber(t) != 0;
        return true;
    }
    return false;
}

double numberFromText(const QString& text) {
    if (!conv::isNumeric(text))
        throw typeMismatch();
    return conv::leadingNumber(text);
}

Value fitText(const schema::Column& column, const QString& text) {
    if (column.size > 0 && text.size() > column.size)
        throw textTooLong(column.name, column.size);
    return Value::text(text);
}

Value fitNumber(const schema::Column& column, double number) {
    if (column.type == schema::FieldType::Whole)
        return Value::whole(conv::toWhole32(number));
    return Value::floating(number);
}

// A file made before the trail and the date indexes existed gets them now, each in a short
// transaction of its own. When that cannot be done (a read-only file, the instrument holding
// the write lock) the program still starts: the first change tries the trail again inside its
// own transaction and, failing, is refused with the error box; the results are read without
// the indexes, only more slowly.
void addWhatOlderFilesLack(sql::Database& db) {
    for (const auto& add : {audit::ensureTrail, schema::addResultDateIndexes})
        try {
            sql::inWriteTransaction(db, [&] { add(db); });
        } catch (const Error&) {
        }
}

} // namespace

void Open_database() {
    auto& connection = sharedConnection();
    if (!connection)
        connection = sql::Database::open(files::databaseFile());
    for (const QString& table : {schema::PC_Configuration, schema::PIC_list, schema::PIC_Params}) {
        auto count = connection->prepare(QStringLiteral("SELECT count(*) FROM ") + quoted(table));
        count.step();
    }
    addWhatOlderFilesLack(*connection);
}

sql::Database& Get_connection() {
    auto& connection = sharedConnection();
    if (!connection)
        throw Error(errnum::ObjectClosed,
                    QStringLiteral("Operation is not allowed when the object is closed."));
    return *connection;
}

sql::Database openSecondConnection() {
    return sql::Database::open(files::databaseFile());
}

void closeDatabase() {
    sharedConnection().reset();
}

namespace store {

using schema::FieldType;

Value fitForField(const schema::Column& column, const Value& value) {
    const FieldType type = column.type;
    switch (value.kind()) {
    case Value::Kind::Null:
    case Value::Kind::Empty:
        if (type == FieldType::YesNo)
            return Value::yesNo(false);
        if (type == FieldType::Text && value.isEmpty())
            return Value::text(QString());
        return Value::null();
    case Value::Kind::Text: {
        const QString& text = value.asText();
        switch (type) {
        case FieldType::Text:
            return fitText(column, text);
        case FieldType::Whole:
        case FieldType::Floating:
            return fitNumber(column, numberFromText(text));
        case FieldType::Date:
            if (const auto date = conv::readDate(text))
                return Value::date(*date);
            throw typeMismatch();
        case FieldType::YesNo: {
            bool result = false;
            if (!yesNoFromText(text, result))
                throw typeMismatch();
            return Value::yesNo(result);
        }
        }
        break;
    }
    case Value::Kind::Whole:
    case Value::Kind::Floating:
    case Value::Kind::YesNo:
        switch (type) {
        case FieldType::Text:
            return fitText(column, value.toText());
        case FieldType::Whole:
        case FieldType::Floating:
            return fitNumber(column, value.toNumber());
        case FieldType::YesNo:
            return Value::yesNo(value.toNumber() != 0);
        case FieldType::Date:
            throw typeMismatch();
        }
        break;
    case Value::Kind::Date:
        if (type == FieldType::Date)
            return value;
        if (type == FieldType::Text)
            return fitText(column, value.toText());
        throw typeMismatch();
    }
    throw typeMismatch();
}

Value fromStored(const schema::Column& column, const Value& stored) {
    if (stored.isNull())
        return stored;
    switch (column.type) {
    case FieldType::Date:
        if (stored.kind() == Value::Kind::Text)
            if (const auto date = conv::readDate(stored.asText()))
                return Value::date(*date);
        return stored;
    case FieldType::YesNo:
        return stored.isNumber() ? Value::yesNo(stored.toNumber() != 0) : stored;
    case FieldType::Floating:
        return stored.kind() == Value::Kind::Whole ? Value::floating(stored.toNumber()) : stored;
    case FieldType::Text:
        return stored.isNumber() ? Value::text(stored.toText()) : stored;
    case FieldType::Whole:
        break;
    }
    return stored;
}

const schema::Column& columnOf(const QString& table, const QString& field) {
    const schema::Table* t = schema::findTable(table);
    const schema::Column* c = t ? t->find(field) : nullptr;
    if (!c)
        throw itemNotFound(field);
    return *c;
}

Value readFirstRecord(sql::Database& db, const QString& table, const QString& field) {
    const schema::Column& column = columnOf(table, field);
    auto select = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT 1")
                                 .arg(quoted(column.name), quoted(table)));
    if (!select.step())
        throw noCurrentRecord();
    return fromStored(column, select.column(0));
}

void writeFirstRecord(sql::Database& db, const QString& table, const QString& field,
                      const Value& value) {
    change(db, [&](Changes& changes) { changes.setField({table, {}}, field, value); });
}

namespace {

// Where a record is, as SQL: the rowid of its first row, so that a key that is not unique
// still names one record. Its key values bind from ?2 on.
QString rowidOf(const Record& record) {
    QStringList conditions;
    for (const auto& [field, value] : record.key)
        conditions << QStringLiteral("%1 IS ?%2")
                          .arg(quoted(columnOf(record.table, field).name))
                          .arg(conditions.size() + 2);
    if (conditions.isEmpty())
        conditions << QStringLiteral("1");
    const QString order =
        record.firstBy.isEmpty()
            ? QStringLiteral("rowid")
            : quoted(columnOf(record.table, record.firstBy).name) + QStringLiteral(", rowid");
    return QStringLiteral("(SELECT rowid FROM %1 WHERE %2 ORDER BY %3 LIMIT 1)")
        .arg(quoted(record.table), conditions.join(QStringLiteral(" AND ")), order);
}

void bindKey(sql::Statement& statement, const Record& record) {
    int index = 2;
    for (const auto& [field, value] : record.key)
        statement.bind(index++, value);
}

Value keyText(const Record& record) {
    if (record.key.empty())
        return Value::null();
    const auto& [field, value] = record.key.front();
    return Value::text(field + QStringLiteral(" = ") + value.toText());
}

// A stored cell as the trail writes it, and whether it is there at all.
std::optional<Value> storedText(sql::Database& db, const Record& record, const QString& field) {
    auto select = db.prepare(QStringLiteral("SELECT CAST(%1 AS TEXT) FROM %2 WHERE rowid = %3")
                                 .arg(quoted(field), quoted(record.table), rowidOf(record)));
    bindKey(select, record);
    if (!select.step())
        return std::nullopt;
    return select.column(0);
}

bool sameStored(const Value& a, const Value& b) {
    return a.isNull() ? b.isNull() : !b.isNull() && a.asText() == b.asText();
}

void record(sql::Database& db, const Record& where, const QString& field, const Value& oldValue,
            const Value& newValue) {
    audit::append(
        db, {audit::Place::current(), where.table, field, keyText(where), oldValue, newValue});
}

} // namespace

bool Changes::exists(const Record& record) {
    auto select = db_.prepare(QStringLiteral("SELECT %1 IS NOT NULL").arg(rowidOf(record)));
    bindKey(select, record);
    select.step();
    return select.columnWhole(0) != 0;
}

bool Changes::setField(const Record& where, const QString& field, const Value& value) {
    const schema::Column& column = columnOf(where.table, field);
    const Value fitted = fitForField(column, value);
    const auto before = storedText(db_, where, column.name);
    if (!before)
        throw noCurrentRecord();
    auto update = db_.prepare(QStringLiteral("UPDATE %2 SET %1 = ?1 WHERE rowid = %3")
                                  .arg(quoted(column.name), quoted(where.table), rowidOf(where)));
    update.bind(1, fitted);
    bindKey(update, where);
    update.run();
    const Value after = *storedText(db_, where, column.name);
    if (sameStored(*before, after))
        return false;
    record(db_, where, column.name, *before, after);
    return true;
}

void Changes::addRecord(const Record& where, const std::vector<std::pair<QString, Value>>& fields) {
    QStringList names;
    QStringList placeholders;
    for (const auto& [name, value] : fields) {
        names << quoted(columnOf(where.table, name).name);
        placeholders << QStringLiteral("?%1").arg(placeholders.size() + 1);
    }
    auto insert =
        db_.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quoted(where.table), names.join(u','), placeholders.join(u',')));
    int index = 1;
    for (const auto& [name, value] : fields)
        insert.bind(index++, fitForField(columnOf(where.table, name), value));
    insert.run();
    // Taken before the first audit row, which is an insert of its own.
    const Value added = Value::whole(db_.lastInsertRowid());
    for (const auto& [name, value] : fields) {
        const QString field = columnOf(where.table, name).name;
        auto select = db_.prepare(QStringLiteral("SELECT CAST(%1 AS TEXT) FROM %2 WHERE rowid = ?1")
                                      .arg(quoted(field), quoted(where.table)));
        select.bind(1, added);
        select.step();
        record(db_, where, field, Value::null(), select.column(0));
    }
}

bool Changes::deleteRecord(const Record& where, const QString& referenceField) {
    const auto reference = storedText(db_, where, columnOf(where.table, referenceField).name);
    if (!reference)
        return false;
    auto remove = db_.prepare(
        QStringLiteral("DELETE FROM %1 WHERE rowid = %2").arg(quoted(where.table), rowidOf(where)));
    bindKey(remove, where);
    remove.run();
    record(db_, where, QStringLiteral("*"), *reference, Value::null());
    return true;
}

std::int64_t Changes::emptyTable(const QString& table) {
    const schema::Table* t = schema::findTable(table);
    if (!t)
        throw itemNotFound(table);
    db_.exec(QStringLiteral("DELETE FROM ") + quoted(t->name));
    const std::int64_t deleted = db_.changes();
    record(db_, {t->name, {}}, QStringLiteral("*"), Value::text(QString::number(deleted)),
           Value::null());
    return deleted;
}

} // namespace store

} // namespace kr7
