#include "field_editing.h"

#include "clock.h"
#include "config_load.h"
#include "services.h"
#include "trap.h"
#include "widget_colours.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace kr7::config {

namespace {

const QString kCannotChange = QStringLiteral("Cannot change this field");

// Focus that leaves or comes back because the window was deactivated or a popup opened is
// not the user moving between controls: nothing is committed then, and the text on entry
// is kept.
bool movedWithinWindow(const QEvent* event) {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool isEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// The next control the Tab key would reach from `from`, the way Qt's own focus chain goes.
QWidget* nextTabStop(QWidget* from, bool forward) {
    for (QWidget* w = from;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == from)
            return nullptr;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            !w->focusProxy())
            return w;
    }
}

bool watchesKeys(Kind kind) {
    return kind == Kind::Edit || kind == Kind::ReadOnly || kind == Kind::Check ||
           kind == Kind::Combo;
}

} // namespace

FieldEditor::FieldEditor(ScreenState& state, QObject* parent)
    : QObject(parent), state_(state), dummy_(state.controls.value(QStringLiteral("cmd_dummy"))) {
    dummy_->installEventFilter(this);
    for (const Setting& s : settings()) {
        if (!watchesKeys(s.kind))
            continue;
        QWidget* control = state_.controls.value(s.name);
        control->installEventFilter(this);
        if (s.kind == Kind::Edit)
            connect(static_cast<QLineEdit*>(control), &QLineEdit::textEdited, this,
                    [this, name = s.name] {
                        if (!state_.loading)
                            state_.changed.set(name);
                    });
    }
}

bool FieldEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dummy_)
        return event->type() == QEvent::KeyPress &&
               continueFromFieldLeft(*static_cast<const QKeyEvent*>(event));
    auto* control = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (movedWithinWindow(event))
            gotFocus(control, setting(control->objectName()));
        break;
    case QEvent::FocusOut:
        if (movedWithinWindow(event) && !state_.loading) {
            const Setting& s = setting(control->objectName());
            if (s.kind == Kind::Edit)
                commit(static_cast<QLineEdit*>(control), s);
        }
        break;
    case QEvent::KeyPress:
        return keyPress(control, setting(control->objectName()),
                        *static_cast<const QKeyEvent*>(event));
    default:
        break;
    }
    return false;
}

void FieldEditor::gotFocus(QWidget* control, const Setting& s) {
    if (s.kind == Kind::ReadOnly) {
        state_.showStatus(kCannotChange);
        return;
    }
    if (state_.loading || (s.kind != Kind::Edit && s.kind != Kind::Combo))
        return;
    if (auto* field = qobject_cast<QLineEdit*>(control)) {
        setFieldBackground(field, kEditingYellow);
        state_.textOnEntry[s.name] = field->text();
    }
    state_.showStatus(s.edit.prompt);
}

bool FieldEditor::keyPress(QWidget* control, const Setting& s, const QKeyEvent& key) {
    if (s.kind == Kind::ReadOnly)
        return false;
    if (isEnter(key)) {
        moveOn(control, s);
        return true;
    }
    if (s.kind != Kind::Edit)
        return false;
    if (key.key() == Qt::Key_Escape) {
        static_cast<QLineEdit*>(control)->setText(state_.textOnEntry.value(s.name));
        state_.changed.clear(s.name);
        return true;
    }
    // Shortcuts (Ctrl+V) and editing keys (Backspace) are not typed characters.
    const QString text = key.text();
    const bool shortcut =
        key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (shortcut || text.isEmpty() || !text.front().isPrint())
        return false;
    return !typable(s.edit.typing, text, QString());
}

void FieldEditor::moveOn(QWidget* control, const Setting& s) {
    if (!s.edit.enterFocus.isEmpty()) {
        state_.controls.value(s.edit.enterFocus)->setFocus();
        return;
    }
    left_ = control;
    dummy_->setFocus();
}

// Enter parks the focus out of sight; Tab and Shift+Tab go on as if from the control left.
bool FieldEditor::continueFromFieldLeft(const QKeyEvent& key) {
    const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
    if (!tab || !left_ || key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const bool forward = key.key() == Qt::Key_Tab && !(key.modifiers() & Qt::ShiftModifier);
    if (QWidget* next = nextTabStop(left_, forward))
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void FieldEditor::commit(QLineEdit* field, const Setting& s) {
    setFieldBackground(field, kFieldWhite);
    if (!state_.changed.isSet(s.name))
        return;
    state_.changed.clear(s.name);
    const Checked checked =
        checkText(s, {s.edit.conversion, s.edit.range, s.edit.temperature}, field->text(),
                  state_.textOnEntry.value(s.name), state_.limits);
    if (checked.verdict != Verdict::Accepted) {
        refuse(field, s, checked.verdict);
        return;
    }
    // A value the store did not take stays pending, for a later commit or the close.
    if (!write(field, s, checked.value)) {
        state_.changed.set(s.name);
        return;
    }
    state_.limits.set(s.edit.temperature, std::int32_t(checked.value.toNumber()));
    if (!s.edit.promptStays)
        state_.showStatus(QString());
    showStored(field, s);
}

void FieldEditor::refuse(QLineEdit* field, const Setting& s, Verdict verdict) {
    const QString& message =
        verdict == Verdict::OutsideTemperatureLimits ? s.edit.temperatureRefusal : s.edit.refusal;
    if (!message.isEmpty())
        state_.showRefusal(message);
    field->setText(state_.textOnEntry.value(s.name));
}

bool FieldEditor::write(QLineEdit* field, const Setting& s, const Value& value) {
    bool written = false;
    Trap(handlerErrorName(field, "LostFocus")).run([&] { written = writeKey(s.key, value); });
    return written;
}

// The field and its partner show what the store now holds.
void FieldEditor::showStored(QLineEdit* field, const Setting& s) {
    KeyReader reader;
    const QDateTime now = services().clock->now();
    if (s.edit.reshow != Shown::Nothing)
        field->setText(shownText(s.edit.reshow, reader.read(s.key), now));
    if (!s.edit.partner.isEmpty())
        fillControl(state_.controls.value(s.edit.partner), setting(s.edit.partner), reader, now);
}

} // namespace kr7::config
