#pragma once

#include "screen_state.h"

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QLineEdit;

namespace kr7::config {

// The editing protocol of every field of the screen, as one event filter: a field turns
// yellow and shows its prompt when it gets the focus, takes only the characters of its
// typing class, goes back to its text on entry with Esc, and is checked and written when
// the focus moves on to another control of the window. Enter moves the focus on from the
// fields, the check boxes and the list alike.
class FieldEditor : public QObject {
    Q_OBJECT
  public:
    // Watches every field, check box and list of `state`; the changed flags follow the
    // user's edits from here on.
    FieldEditor(ScreenState& state, QObject* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void gotFocus(QWidget* control, const Setting& s);
    bool keyPress(QWidget* control, const Setting& s, const QKeyEvent& key);
    void moveOn(QWidget* control, const Setting& s);
    bool continueFromFieldLeft(const QKeyEvent& key);
    void commit(QLineEdit* field, const Setting& s);
    void refuse(QLineEdit* field, const Setting& s, Verdict verdict);
    bool write(QLineEdit* field, const Setting& s, const Value& value);
    void showStored(QLineEdit* field, const Setting& s);

    ScreenState& state_;
    // Where Enter sends the focus, and the control it came from: Tab goes on from there.
    QWidget* dummy_;
    QPointer<QWidget> left_;
};

} // namespace kr7::config
