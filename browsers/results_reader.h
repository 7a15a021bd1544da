#pragma once

#include "row_cursor.h"
#include "sqlite_db.h"

#include <vector>

namespace kr7 {

// The browser's query over both results tables: the older table by its named columns, the
// current one by its field codes, UNION dropping a result that stands in both, newest first.
const QString& resultsQuery();

// The rows of that query in its order, read the quick way: each table in the order of its date
// index, the two merged, so that the first rows come at once instead of after a sort of them
// all; a row equal in every field to the one before is dropped, as UNION drops it. The rows
// are one snapshot of the file, read in a transaction on a connection of the reader's own.
class MergedResults : public RowCursor {
  public:
    explicit MergedResults(const QString& databaseFile);
    ~MergedResults() override;
    MergedResults(const MergedResults&) = delete;
    MergedResults& operator=(const MergedResults&) = delete;

    bool step() override;
    int columnCount() const override { return current().columnCount(); }
    QString columnName(int index) const override { return current().columnName(index); }
    Value::Kind columnKind(int index) const override { return current().columnKind(index); }
    std::int64_t columnWhole(int index) const override { return current().columnWhole(index); }
    double columnFloating(int index) const override { return current().columnFloating(index); }
    std::string_view columnUtf8(int index) const override { return current().columnUtf8(index); }

  private:
    struct Table {
        sql::Statement rows;
        bool hasRow = false;
    };

    const sql::Statement& current() const { return tables_[current_].rows; }
    bool pickNext();
    bool isNewRow();

    sql::Database db_;
    std::vector<Table> tables_;
    std::size_t current_ = 0;
    bool started_ = false;
    QByteArray previous_; // the row given last, as UNION compares it
    QByteArray key_;      // the row at hand, kept to reuse its room
};

} // namespace kr7
