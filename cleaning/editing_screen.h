#pragma once

#include <QHash>
#include <QPointer>
#include <QValidator>
#include <QWidget>
#include <optional>
#include <vector>

class QGridLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace kr7::cleaning {

// Stops typing and pasting beyond a field's maximum length. A longer text the screen itself
// shows (one stored by another program) is not cut: the user may still shorten it.
class LengthLimit : public QValidator {
    Q_OBJECT
  public:
    LengthLimit(int limit, QLineEdit* field);
    State validate(QString& input, int& position) const override;

  private:
    int limit_;
    qsizetype shownLength_ = 0;
};

// A row caption that names its field for the keyboard and the screen reader (its buddy).
QLabel* captionFor(const QString& text, QWidget* buddy);
// Column headings over a grid's fields, from grid column 1 on.
void addHeadings(QGridLayout* grid, const QStringList& headings);

// A window of text fields edited the one way the lab staff know: a field turns yellow and
// its text is remembered when it is entered, Esc puts that text back, Enter moves the focus
// on, and it turns white again when it is left. What a key or leaving does beyond that is
// the screen's.
//
// A field is left only when the focus moves to another widget of the window: the focus-out
// that a window deactivation or a popup sends is not a leaving, so a pending edit stays
// pending until the user really leaves the field or the window closes.
class EditingScreen : public QWidget {
    Q_OBJECT
  public:
    EditingScreen(QWidget* owner, const QString& objectName);

  protected:
    // A named, limited and watched field, white, with its accessible name and its tool-tip
    // (which is also its accessible description).
    QLineEdit* makeField(const QString& name, int maxLength, const QString& accessibleName,
                         const QString& toolTip = {});
    // Tab goes through the fields in the order they were made, once all stand in the window.
    void setTabOrderAsMade();
    QLineEdit* field(const QString& name) const { return fields_.value(name); }

    void putBackTextOnEntry(QLineEdit* field) const;

    // The character a key types; none for shortcuts and for the keys that move the cursor or
    // the focus.
    static std::optional<QChar> typedCharacter(const QKeyEvent* event);

    // Where Enter moves the focus from the field; empty: on to the next field in Tab order.
    virtual QString enterTarget(const QString& fieldName) const = 0;
    // Every other key, before the field sees it; true swallows the key.
    virtual bool keyPressed(QLineEdit* field, const QKeyEvent* event) = 0;
    // After Esc has put the text on entry back.
    virtual void escaped(QLineEdit*) {}
    // After the field has turned white on leaving.
    virtual void left(QLineEdit*) {}

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void enter(QLineEdit* field);
    void leave(QLineEdit* field);
    bool handleKey(QLineEdit* field, const QKeyEvent* event);

    QHash<QString, QLineEdit*> fields_;
    std::vector<QLineEdit*> madeInOrder_;
    QPointer<QLineEdit> entered_;
    QString textOnEntry_;
};

// Makes a screen as a window of `owner`, runs its load (under the screen's own trap) and
// shows it, as the configuration screen's opening rule wants.
template <class Screen> QWidget* openLoaded(QWidget* owner) {
    auto* screen = new Screen(owner);
    screen->Form_Load();
    screen->show();
    return screen;
}

} // namespace kr7::cleaning
