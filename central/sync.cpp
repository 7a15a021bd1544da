#include "sync.h"

#include "conversions.h"
#include "database.h"
#include "pg.h"
#include "result_columns.h"

#include <QCryptographicHash>
#include <QStringList>
#include <algorithm>
#include <future>
#include <optional>

namespace kr7::central {

namespace {

// How far before its mark a sync reads a table again: results stored a little out of date
// order, and the hour a clock goes back in the autumn.
constexpr qint64 kOverlapSeconds = 2 * 3600;

struct Instrument {
    std::int64_t number = 0;
    QString site;
};

// The instrument's number (PI_01 of T_PIC_list) and the site's name (PC_02 of
// T_PC_Configuration), the values the configuration screen shows and edits.
Instrument readInstrument(sql::Database& local) {
    const Value number = store::readFirstRecord(local, schema::PIC_list, QStringLiteral("PI_01"));
    if (number.kind() != Value::Kind::Whole)
        throw Error(errnum::ProviderError,
                    QStringLiteral("the instrument has no number (PI_01): set it before a sync"));
    const Value site =
        store::readFirstRecord(local, schema::PC_Configuration, QStringLiteral("PC_02"));
    return {number.asWhole(), site.toText()};
}

struct LocalTable {
    QString name;
    bool current; // T_Samples, by field codes
};

const LocalTable kLocalTables[] = {{schema::Samples, true}, {schema::Samples_old, false}};

QString localField(const LocalTable& table, const ResultColumn& column) {
    return table.current ? column.current : column.old;
}

QString dateField(const LocalTable& table) {
    return localField(table, resultColumns()[kDateTestedColumn]);
}

// The 18 columns and the rowid, from `where` on, in the order that keyset paging follows:
// ?1 the date and ?2 the rowid of the last row read, ?3 the batch's size.
QString batchQuery(const LocalTable& table, const QString& where, bool byDate) {
    QStringList fields;
    for (const ResultColumn& c : resultColumns())
        fields << localField(table, c);
    const QString order =
        byDate ? dateField(table) + QStringLiteral(", rowid") : QStringLiteral("rowid");
    return QStringLiteral("SELECT %1, rowid FROM %2 WHERE %3 ORDER BY %4 LIMIT ?3")
        .arg(fields.join(u", "), table.name, where.arg(dateField(table)), order);
}

// Results without a test date (null, or a number where the date should be) come first, by
// rowid; then the dated ones from the starting date on, by date and rowid. Texts sort after
// every number in SQLite.
QString undatedQuery(const LocalTable& table) {
    return batchQuery(table, QStringLiteral("(%1 IS NULL OR %1 < '') AND rowid > ?2"), false);
}

QString datedQuery(const LocalTable& table) {
    return batchQuery(table, QStringLiteral("%1 >= ?1 AND (%1 > ?1 OR rowid > ?2)"), true);
}

// The text PostgreSQL's COPY reads as that text: backslash, tab and line ends escaped. A NUL
// or bytes that are no UTF-8 cannot be stored, so they are replaced as Qt decodes them.
void appendCopyText(QByteArray& out, std::string_view text) {
    const bool plain =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c != '\\'; });
    if (plain) {
        out.append(text.data(), qsizetype(text.size()));
        return;
    }
    const QByteArray clean =
        QString::fromUtf8(text.data(), qsizetype(text.size())).remove(QChar(0)).toUtf8();
    for (const char c : clean) {
        switch (c) {
        case '\\':
            out.append("\\\\");
            break;
        case '\t':
            out.append("\\t");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        default:
            out.append(c);
        }
    }
}

// One row of the local file: its cells as COPY text for the central columns and its
// identity, read cell by cell.
class RowEncoder {
  public:
    RowEncoder(std::int64_t instrument) : instrument_(QByteArray::number(qlonglong(instrument))) {}

    void encode(const sql::Statement& row, QByteArray& out) {
        canonical_.clear();
        line_.clear();
        const auto columns = resultColumns();
        for (int i = 0; i < int(columns.size()); ++i) {
            line_.append('\t');
            appendCell(row, i, columns[std::size_t(i)].type);
        }
        const QByteArray key = QCryptographicHash::hash(canonical_, QCryptographicHash::Sha256);
        out.append(instrument_).append("\t\\\\x").append(key.left(16).toHex());
        out.append(line_).append('\n');
    }

  private:
    // The identity is the row as the browser's UNION compares it (appendUnionKey).
    void appendCell(const sql::Statement& row, int i, schema::FieldType type) {
        appendUnionKey(canonical_, row, i);
        switch (row.columnKind(i)) {
        case Value::Kind::Null:
            line_.append("\\N");
            return;
        case Value::Kind::Whole:
            appendNumber(QByteArray::number(qlonglong(row.columnWhole(i))), true, type);
            return;
        case Value::Kind::Floating: {
            const double x = row.columnFloating(i);
            const auto whole = wholeValue(x);
            appendNumber(whole ? QByteArray::number(qlonglong(*whole))
                               : QByteArray::number(x, 'g', 17),
                         whole.has_value(), type);
            return;
        }
        default:
            appendText(row.columnUtf8(i), type);
        }
    }

    void appendNumber(const QByteArray& digits, bool whole, schema::FieldType type) {
        const bool fits = type == schema::FieldType::Floating || type == schema::FieldType::Text ||
                          (whole && type == schema::FieldType::Whole);
        line_.append(fits ? digits : QByteArray("\\N"));
    }

    // A text where the central column wants a number or a date it cannot read goes as null;
    // the identity still holds the text.
    void appendText(std::string_view text, schema::FieldType type) {
        if (type == schema::FieldType::Text ||
            (type == schema::FieldType::Date && conv::isStoredDate(text)))
            appendCopyText(line_, text);
        else
            line_.append("\\N");
    }

    QByteArray instrument_;
    QByteArray canonical_;
    QByteArray line_;
};

QString copyStatement() {
    QStringList columns = {QStringLiteral("instrument"), QStringLiteral("result_key")};
    for (const ResultColumn& c : resultColumns())
        columns << centralName(c);
    return QStringLiteral("COPY incoming_results (%1) FROM STDIN").arg(columns.join(u", "));
}

struct Key {
    QString date; // null for the undated rows
    std::int64_t rowid = 0;
};

struct Batch {
    QByteArray copyData;
    int rows = 0;
    Key last;
};

Batch readBatch(sql::Database& local, const QString& query, const Key& after, int batchRows,
                RowEncoder& encoder) {
    auto statement = local.prepare(query);
    statement.bindAll({after.date.isNull() ? Value::text(QString()) : Value::text(after.date),
                       Value::whole(after.rowid), Value::whole(batchRows)});
    Batch batch{{}, 0, after};
    const int rowidColumn = int(resultColumns().size());
    while (statement.step()) {
        const bool dated = statement.columnKind(kDateTestedColumn) == Value::Kind::Text;
        batch.last = {dated ? statement.columnText(kDateTestedColumn) : after.date,
                      statement.columnWhole(rowidColumn)};
        encoder.encode(statement, batch.copyData);
        ++batch.rows;
    }
    return batch;
}

class Sender {
  public:
    Sender(pg::Connection& central, const Instrument& instrument)
        : central_(central), instrument_(instrument) {}

    // The batch's rows and, for dated rows, the table's new mark: wholly or not at all.
    std::int64_t send(const Batch& batch, const LocalTable& table, bool dated) {
        pg::Transaction transaction(central_);
        central_.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS incoming_results "
                                     "(LIKE results) ON COMMIT DELETE ROWS"));
        central_.copyIn(copyStatement(), batch.copyData);
        const std::int64_t sent =
            central_
                .exec(QStringLiteral(
                    "INSERT INTO results SELECT * FROM incoming_results ON CONFLICT DO NOTHING"))
                .affected();
        if (dated)
            central_.exec(
                QStringLiteral("INSERT INTO sync_marks VALUES ($1, $2, $3) "
                               "ON CONFLICT (instrument, local_table) "
                               "DO UPDATE SET newest_sent = EXCLUDED.newest_sent"),
                {pg::param(instrument_.number), pg::param(table.name), pg::param(batch.last.date)});
        central_.exec(QStringLiteral("UPDATE instruments SET rows_sent = rows_sent + $2 "
                                     "WHERE number = $1"),
                      {pg::param(instrument_.number), pg::param(sent)});
        transaction.commit();
        return sent;
    }

  private:
    pg::Connection& central_;
    const Instrument& instrument_;
};

std::optional<QString> readMark(pg::Connection& central, std::int64_t instrument,
                                const LocalTable& table) {
    const pg::Result mark = central.exec(
        QStringLiteral("SELECT newest_sent FROM sync_marks "
                       "WHERE instrument = $1 AND local_table = $2 AND newest_sent IS NOT NULL"),
        {pg::param(instrument), pg::param(table.name)});
    if (mark.rows() == 0)
        return std::nullopt;
    return mark.qtext(0, 0);
}

QString newestLocalDate(sql::Database& local, const LocalTable& table) {
    auto newest =
        local.prepare(QStringLiteral("SELECT max(%1) FROM %2").arg(dateField(table), table.name));
    newest.step();
    return newest.columnKind(0) == Value::Kind::Text ? newest.columnText(0) : QString();
}

// Where a table's reading starts: the mark less the overlap. A table whose newest result is
// older than its mark was emptied (or replaced by older results) since the last sync, and is
// read from its start; the results the central database holds already are not sent twice.
QString startingDate(const std::optional<QString>& mark, const QString& newestLocal) {
    if (!mark || newestLocal < *mark)
        return QStringLiteral("");
    const auto markDate = conv::readDate(*mark);
    return markDate ? conv::storedDateText(markDate->addSecs(-kOverlapSeconds)) : *mark;
}

void registerInstrument(pg::Connection& central, const Instrument& instrument) {
    central.exec(QStringLiteral("INSERT INTO instruments (number, site_name) VALUES ($1, $2) "
                                "ON CONFLICT (number) DO UPDATE SET site_name = $2"),
                 {pg::param(instrument.number), pg::param(instrument.site)});
}

} // namespace

SyncReport syncResults(const QString& localDatabase, pg::Connection& central, int batchRows) {
    auto local = sql::Database::open(localDatabase, sql::Database::Mode::ReadOnly);
    const Instrument instrument = readInstrument(local);
    // A batch need not wait for the server's disk: should the server crash, a batch lost with
    // its last commits loses its mark with it, and the next sync sends it again.
    central.exec(QStringLiteral("SET synchronous_commit TO off"));
    registerInstrument(central, instrument);
    Sender sender(central, instrument);
    RowEncoder encoder(instrument.number);
    SyncReport report{instrument.number};
    for (const LocalTable& table : kLocalTables) {
        const QString start = startingDate(readMark(central, instrument.number, table),
                                           newestLocalDate(local, table));
        for (const bool dated : {false, true}) {
            const QString query = dated ? datedQuery(table) : undatedQuery(table);
            const auto read = [&](const Key& after) {
                return readBatch(local, query, after, batchRows, encoder);
            };
            // The next batch is read while the server takes this one: the two take about
            // as long as each other.
            for (Batch batch = read({dated ? start : QStringLiteral(""), 0}); batch.rows > 0;) {
                auto next = std::async(std::launch::async, read, batch.last);
                report.read += batch.rows;
                report.sent += sender.send(batch, table, dated);
                batch = next.get();
            }
        }
    }
    central.exec(QStringLiteral("UPDATE instruments SET last_sync = now() WHERE number = $1"),
                 {pg::param(instrument.number)});
    return report;
}

} // namespace kr7::central
