#pragma once

#include "value.h"

#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kr7 {

class RecordGridView;

// The messages editor: the texts the instrument shows, by reference. Changes the displayed
// and English texts and the download flag in place, adds and deletes messages; every change
// clears PC_34, by which the instrument's program learns that the messages changed.
class grid_Messages : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxRecords = 127;

    // A Qt::Window child of `owner`, deleted when it closes.
    explicit grid_Messages(QWidget* owner);
    ~grid_Messages() override;

    void Form_Load();
    // Enables or disables both entry boxes, empties them and hides the "already on file"
    // notice.
    void Enable_new_entry(bool enabled);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void layOutGrid();
    void showCount(const QString& count);
    void goToRow(int row);
    void cmdAddRec_Click();
    void cmdDelRec_Click();
    void txt_new_ref_LostFocus();
    void txt_new_message_LostFocus();
    std::optional<Value> iGrid_Messages_BeforeCommitEdit(int row, int column,
                                                         const Value& newValue);
    int gridRowOfReference(const QString& reference) const;
    int keyColumn(const char* key) const;

    RecordGridView* iGrid_Messages_;
    QPushButton* cmdFirst_;
    QPushButton* cmdPrev_;
    QPushButton* cmdNext_;
    QPushButton* cmdLast_;
    QPushButton* cmdAddRec_;
    QPushButton* cmdDelRec_;
    QLineEdit* txt_new_ref_;
    QLineEdit* txt_new_message_;
    QLabel* lbl_num_recs_;
    QLabel* lbl_already_on_file_;
    QLabel* lbl_max_recs_on_file_;
    double designWidthTwips_ = 0;
    // Set while an entry box's handler runs: the focus changes it makes itself are not the
    // user's and start no handler of their own.
    bool inEntryHandler_ = false;
};

// Makes the messages editor for the configuration screen, runs its load and shows it.
QWidget* openMessagesEditor(QWidget* owner);

} // namespace kr7
