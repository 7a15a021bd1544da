#include "database.h"

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

} // namespace

void Open_database() {
    auto& connection = sharedConnection();
    if (!connection)
        connection = sql::Database::open(files::databaseFile());
    for (const QString& table : {schema::PC_Configuration, schema::PIC_list, schema::PIC_Params}) {
        auto count = connection->prepare(QStringLiteral("SELECT count(*) FROM ") + quoted(table));
        count.step();
    }
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
    const schema::Column& column = columnOf(table, field);
    const Value fitted = fitForField(column, value);
    sql::inWriteTransaction(db, [&] {
        db.prepare(QStringLiteral("UPDATE %2 SET %1 = ?1 WHERE rowid = "
                                  "(SELECT min(rowid) FROM %2)")
                       .arg(quoted(column.name), quoted(table)))
            .bind(1, fitted)
            .run();
        if (db.changes() == 0)
            throw noCurrentRecord();
    });
}

} // namespace store

} // namespace kr7
