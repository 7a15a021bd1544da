#pragma once

#include <QHash>
#include <QString>
#include <QValidator>

class QLineEdit;
class QTabWidget;
class QWidget;

namespace kr7::config {

// The controls of the screen by objectName.
using Controls = QHash<QString, QWidget*>;

// A text box's maximum length as the lab staff know it: it stops typing and pasting beyond
// that many characters, with a beep. The screen may show a longer text (a formatted number,
// a date), which the user can still shorten but not type into. QLineEdit's own maximum would
// cut what the screen shows.
class TypingLimit : public QValidator {
    Q_OBJECT
  public:
    TypingLimit(int limit, QLineEdit* field);

    int limit() const { return limit_; }
    State validate(QString& input, int& position) const override;

  private:
    const QLineEdit* field_;
    int limit_;
    QString shown_; // the field's text before the change being validated
};

// Builds the tab control SSTab1 with every control of the settings table on its tab, in its
// group, labelled, with its tool-tip, maximum length, read-only marking and accessible name,
// and in the table's tab order. Every control built is added to `controls`.
QTabWidget* buildTabs(Controls& controls);

} // namespace kr7::config
