#pragma once

#include "editing_screen.h"
#include "label_config_fields.h"

#include <QSet>
#include <optional>

namespace kr7 {

namespace cleaning {
struct LabelRecord;
}

// Which RJL label the instrument's program calls for each of its actions, the labels and
// seconds of the wash and dry phases of the cleaning cycles and tubes, and the cycles'
// descriptions. A value is written when its field is left, or at the latest when the
// screen closes; the copies of the chosen cycles follow every change of their cycle.
class frm_label_config : public cleaning::EditingScreen {
    Q_OBJECT
  public:
    explicit frm_label_config(QWidget* owner);

    // Fills every field from the database, under the screen's load trap.
    void Form_Load();

  protected:
    void closeEvent(QCloseEvent* event) override;
    QString enterTarget(const QString& fieldName) const override;
    bool keyPressed(QLineEdit* field, const QKeyEvent* event) override;
    void escaped(QLineEdit* field) override;
    void left(QLineEdit* field) override;

  private:
    struct Refusal {
        QString message;
        bool keepsFocus;
    };

    QWidget* buildActions();
    QWidget* buildCleaning();
    QWidget* buildCopies();
    QLineEdit* addField(cleaning::Column column, int index);

    void showRecord(const cleaning::LabelRecord& record);
    std::optional<Refusal> store(const cleaning::LabelScreenField& field, const QString& text);
    void storeLabel(int slot, const QString& text);
    void storeTime(int row, cleaning::Phase phase, int seconds);
    void refuse(QLineEdit* field, const Refusal& refusal);
    void Form_QueryUnload();

    // The fields edited since they were entered, loaded, saved or put back.
    QSet<QString> edited_;
};

// Makes the label screen as a window of `owner`, loads it and shows it: the factory of the
// "Set links to RJL labels" button.
QWidget* openLabelConfigScreen(QWidget* owner);

} // namespace kr7
