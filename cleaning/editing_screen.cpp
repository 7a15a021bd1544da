#include "editing_screen.h"

#include "widget_colours.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace kr7::cleaning {

namespace {

bool leavesField(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

LengthLimit::LengthLimit(int limit, QLineEdit* field) : QValidator(field), limit_(limit) {
    // The validator sees the text as it would become; the length shown is the one before.
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString& text) { shownLength_ = text.size(); });
}

QValidator::State LengthLimit::validate(QString& input, int&) const {
    return input.size() <= std::max<qsizetype>(limit_, shownLength_) ? Acceptable : Invalid;
}

EditingScreen::EditingScreen(QWidget* owner, const QString& objectName)
    : QWidget(owner, Qt::Window) {
    setObjectName(objectName);
    setAttribute(Qt::WA_DeleteOnClose);
}

QLineEdit* EditingScreen::makeField(const QString& name, int maxLength,
                                    const QString& accessibleName, const QString& toolTip) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setValidator(new LengthLimit(maxLength, field));
    field->setAccessibleName(accessibleName);
    if (!toolTip.isEmpty()) {
        field->setToolTip(toolTip);
        field->setAccessibleDescription(toolTip);
    }
    setFieldBackground(field, kFieldWhite);
    field->installEventFilter(this);
    madeInOrder_.push_back(field);
    fields_.insert(name, field);
    return field;
}

void EditingScreen::setTabOrderAsMade() {
    for (std::size_t i = 1; i < madeInOrder_.size(); ++i)
        setTabOrder(madeInOrder_[i - 1], madeInOrder_[i]);
}

QLabel* captionFor(const QString& text, QWidget* buddy) {
    auto* caption = new QLabel(text);
    caption->setBuddy(buddy);
    return caption;
}

void addHeadings(QGridLayout* grid, const QStringList& headings) {
    for (int column = 0; column < headings.size(); ++column) {
        auto* heading = new QLabel(headings[column]);
        heading->setWordWrap(true);
        grid->addWidget(heading, 0, column + 1, Qt::AlignBottom);
    }
}

void EditingScreen::putBackTextOnEntry(QLineEdit* field) const {
    field->setText(textOnEntry_);
}

std::optional<QChar> EditingScreen::typedCharacter(const QKeyEvent* event) {
    // A shortcut (Ctrl+A, Ctrl+V) is the field's own; Ctrl with Alt is AltGr, which types.
    const auto modifiers = event->modifiers();
    if (modifiers & Qt::MetaModifier ||
        (modifiers & Qt::ControlModifier && !(modifiers & Qt::AltModifier)))
        return std::nullopt;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    if (event->text().isEmpty())
        return std::nullopt;
    return event->text().front();
}

bool EditingScreen::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || !fields_.contains(field->objectName()))
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (entered_ != field)
            enter(field);
        break;
    case QEvent::FocusOut:
        if (entered_ == field && leavesField(static_cast<QFocusEvent*>(event)->reason()))
            leave(field);
        break;
    case QEvent::KeyPress:
        return handleKey(field, static_cast<QKeyEvent*>(event));
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void EditingScreen::enter(QLineEdit* field) {
    // A field the window lost while inactive has not been left yet.
    if (entered_)
        leave(entered_);
    entered_ = field;
    textOnEntry_ = field->text();
    setFieldBackground(field, kEditingYellow);
}

void EditingScreen::leave(QLineEdit* field) {
    entered_ = nullptr;
    setFieldBackground(field, kFieldWhite);
    left(field);
}

bool EditingScreen::handleKey(QLineEdit* field, const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QLineEdit* next = this->field(enterTarget(field->objectName())))
            next->setFocus(Qt::OtherFocusReason);
        else
            focusNextChild();
        return true;
    case Qt::Key_Escape:
        putBackTextOnEntry(field);
        escaped(field);
        return true;
    default:
        return keyPressed(field, event);
    }
}

} // namespace kr7::cleaning
