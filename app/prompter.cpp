#include "prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace kr7 {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// The answers and the box's buttons that give them.
constexpr std::pair<Answer, QMessageBox::StandardButton> kAnswerButtons[] = {
    {Answer::Ok, QMessageBox::Ok},         {Answer::Cancel, QMessageBox::Cancel},
    {Answer::Abort, QMessageBox::Abort},   {Answer::Retry, QMessageBox::Retry},
    {Answer::Ignore, QMessageBox::Ignore}, {Answer::Yes, QMessageBox::Yes},
    {Answer::No, QMessageBox::No}};

QMessageBox::StandardButton buttonOf(Answer answer) {
    for (const auto& [a, button] : kAnswerButtons)
        if (a == answer)
            return button;
    return QMessageBox::Ok;
}

Answer answerOf(int button) {
    for (const auto& [answer, b] : kAnswerButtons)
        if (b == button)
            return answer;
    return Answer::Ok;
}

} // namespace

Answer QtPrompter::ask(const Prompt& prompt) {
    QMessageBox box(boxIcon(prompt.icon), prompt.title, prompt.text, boxButtons(prompt.buttons),
                    QApplication::activeWindow());
    // Closing an Abort/Retry/Ignore box by its close button must not end the program.
    if (prompt.buttons == Buttons::AbortRetryIgnore)
        box.setEscapeButton(QMessageBox::Ignore);
    if (prompt.defaultAnswer)
        box.setDefaultButton(buttonOf(*prompt.defaultAnswer));
    return answerOf(box.exec());
}

} // namespace kr7
