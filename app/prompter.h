#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace kr7 {

enum class Icon { None, Exclamation, Question, Information, Critical };
enum class Buttons { Ok, YesNo, AbortRetryIgnore };
// The platform's answer codes: the reporter hands them on as numbers (3, 4, 5).
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct Prompt {
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    // The button Enter presses; none: the platform's first.
    std::optional<Answer> defaultAnswer{};
};

// A Yes/No question whose Yes destroys records: the warning icon, and Enter answers No.
inline Prompt destructiveQuestion(QString text, QString title) {
    return {std::move(text), std::move(title), Icon::Exclamation, Buttons::YesNo, Answer::No};
}

// Every message box of the program goes through here, so that tests can read what was
// asked and give the answers.
class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual Answer ask(const Prompt& prompt) = 0;
};

// Shows a QMessageBox in front of the active window.
class QtPrompter : public Prompter {
  public:
    Answer ask(const Prompt& prompt) override;
};

} // namespace kr7
