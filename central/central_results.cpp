#include "central_results.h"

#include "error_report.h"
#include "pg.h"
#include "prompter.h"
#include "result_columns.h"
#include "services.h"

#include <QStringList>
#include <charconv>

namespace kr7::central {

namespace {

// How many rows one FETCH brings.
constexpr int kChunkRows = 5000;

// PostgreSQL's type oids for the column kinds the central tables use.
constexpr unsigned kInt8 = 20, kInt4 = 23, kFloat8 = 701;

// The dates as the local file stores them, so that the grids read them alike.
QString selected(const ResultColumn& c) {
    const QString name = centralName(c);
    const QString value = c.type == schema::FieldType::Date
                              ? QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(name)
                              : name;
    return QStringLiteral("%1 AS \"%2\"").arg(value, c.name);
}

// Rows of a query through a cursor declared in a transaction of the connection's own; the
// connection ends with the reader, and the transaction with it.
class CursorRows : public RowCursor {
  public:
    CursorRows(const QString& url, const QString& query, const std::vector<pg::Param>& params)
        : connection_(pg::Connection::open(url)) {
        connection_.exec(QStringLiteral("BEGIN READ ONLY"));
        connection_.exec(QStringLiteral("DECLARE rows NO SCROLL CURSOR FOR ") + query, params);
        fetch();
    }

    // A chunk shorter than asked for was the last.
    bool step() override {
        if (row_ + 1 >= chunk_.rows() && chunk_.rows() == kChunkRows)
            fetch();
        return ++row_ < chunk_.rows();
    }
    int columnCount() const override { return chunk_.columns(); }
    QString columnName(int index) const override { return chunk_.columnName(index); }
    Value::Kind columnKind(int index) const override {
        if (chunk_.isNull(row_, index))
            return Value::Kind::Null;
        switch (chunk_.columnType(index)) {
        case kInt8:
        case kInt4:
            return Value::Kind::Whole;
        case kFloat8:
            return Value::Kind::Floating;
        default:
            return Value::Kind::Text;
        }
    }
    std::int64_t columnWhole(int index) const override { return number<std::int64_t>(index); }
    double columnFloating(int index) const override { return number<double>(index); }
    std::string_view columnUtf8(int index) const override { return chunk_.text(row_, index); }

  private:
    void fetch() {
        chunk_ = connection_.exec(QStringLiteral("FETCH %1 FROM rows").arg(kChunkRows));
        row_ = -1;
    }

    template <class N> N number(int index) const {
        const std::string_view text = chunk_.text(row_, index);
        N n{};
        std::from_chars(text.data(), text.data() + text.size(), n);
        return n;
    }

    pg::Connection connection_;
    pg::Result chunk_{nullptr};
    int row_ = -1;
};

QString instrumentCondition(const std::optional<int>& instrument, int parameter) {
    return instrument ? QStringLiteral("instrument = $%1").arg(parameter)
                      : QStringLiteral("$%1::integer IS NULL").arg(parameter);
}

pg::Param instrumentParam(const std::optional<int>& instrument) {
    return instrument ? pg::param(*instrument) : pg::Param();
}

} // namespace

std::unique_ptr<RowCursor> openResults(const QString& url, std::optional<int> instrument) {
    QStringList columns;
    for (const ResultColumn& c : resultColumns())
        columns << selected(c);
    columns << QStringLiteral("instrument AS \"INSTRUMENT\"");
    const QString query = QStringLiteral("SELECT %1 FROM results WHERE %2 "
                                         "ORDER BY date_tested DESC NULLS LAST")
                              .arg(columns.join(u", "), instrumentCondition(instrument, 1));
    return std::make_unique<CursorRows>(url, query,
                                        std::vector<pg::Param>{instrumentParam(instrument)});
}

std::unique_ptr<RowCursor> openRuns(const QString& url, int recordType, const QString& from,
                                    const QString& to, std::optional<int> instrument) {
    const QString query =
        QStringLiteral("SELECT to_char(date_tested, 'YYYY-MM-DD HH24:MI:SS'), barcode, runtime, "
                       "pv1_number, pv2_number, pv_low, pv_high, pic_id FROM results "
                       "WHERE rec_type = $1 AND date_tested >= $2::timestamp "
                       "AND date_tested < $3::timestamp AND %1 ORDER BY date_tested")
            .arg(instrumentCondition(instrument, 4));
    return std::make_unique<CursorRows>(url, query,
                                        std::vector<pg::Param>{pg::param(recordType),
                                                               pg::param(from), pg::param(to),
                                                               instrumentParam(instrument)});
}

bool readCentral(const std::function<void()>& read) {
    try {
        read();
        return true;
    } catch (const Error& e) {
        services().prompter->ask({e.description(), kProgramTitle, Icon::Exclamation});
        return false;
    }
}

std::vector<int> syncedInstruments(const QString& url) {
    auto central = pg::Connection::open(url);
    const pg::Result found =
        central.exec(QStringLiteral("SELECT number FROM instruments ORDER BY number"));
    std::vector<int> numbers;
    for (int row = 0; row < found.rows(); ++row)
        numbers.push_back(found.qtext(row, 0).toInt());
    return numbers;
}

} // namespace kr7::central
