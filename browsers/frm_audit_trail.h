#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPainter;
class QPagedPaintDevice;

namespace kr7 {

class RecordGridView;

// The audit trail viewer: every change the program made, newest first, read-only, narrowed
// by a date range, a field or table and an account, with the chain's verdict at the bottom.
// The shown rows go to a CSV file or, through a preview, to the printer.
class frm_audit_trail : public QWidget {
    Q_OBJECT
  public:
    // A Qt::Window child of `owner`, deleted when it closes.
    explicit frm_audit_trail(QWidget* owner);

    // Shows the rows at once; the chain's verdict follows when its walk ends.
    void Form_Load();
    // Reads the rows the filter fields ask for; a date field that holds no date turns red
    // and the rows stay as they were.
    void applyFilters();
    void Export_CSV();
    void Print_preview();
    // The shown rows as the printout lays them out.
    void paintRows(QPainter& painter, QPagedPaintDevice& page) const;
    // The query the filters bind (?1 from, ?2 to, ?3 field or table, ?4 account; null for
    // an empty filter).
    static const QString& filteredRowsQuery();
    // Where the last CSV export went.
    const QString& csvFileName() const { return csvFileName_; }

  private:
    void showVerdict();
    void startVerifying();

    QLineEdit* from_;
    QLineEdit* to_;
    QLineEdit* fieldOrTable_;
    QLineEdit* account_;
    RecordGridView* grid_;
    QLabel* verdict_;
    QString csvFileName_;
};

// A text with its control characters written out ("\n", "\x07"), as the viewer, the CSV
// and the printout show stored values.
QString escapedForDisplay(const QString& text);

// Makes the audit trail viewer for the configuration screen, runs its load and shows it.
QWidget* openAuditTrail(QWidget* owner);

} // namespace kr7
