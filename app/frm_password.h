#pragma once

#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace kr7 {

// The log-on form, the program's entry: the start-up checks, then the daily password when
// the configuration asks for one.
class frm_password : public QWidget {
    Q_OBJECT
  public:
    // `openConfigScreen` shows the configuration screen; the form never knows it otherwise.
    explicit frm_password(std::function<void()> openConfigScreen, QWidget* parent = nullptr);

    // The start-up sequence. Ends the program (ProgramEnded) when the database is missing or
    // another copy runs; opens the configuration screen and closes this form when no
    // password is wanted; otherwise shows the form.
    void Form_Load();

    // The five-character constant in front of the two-digit day.
    static constexpr const char* kLogonPrefix = "Vk7pw";
    // Today's password: the prefix and the day of the month as two digits.
    static QString logonPassword(const QDateTime& now);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void txt_password_KeyPress();
    void openConfigScreenAndUnload();

    std::function<void()> openConfigScreen_;
    QLabel* Label1_;
    QLineEdit* txt_password_;
};

// Why the install folder's single-instance lock was not taken.
struct LockRefusal {
    bool heldByRunningCopy = false;
    QString reason; // when no running copy holds it
};

// Holds the install folder's single-instance lock for the rest of the run; a lock left
// behind by a crashed copy is taken over. Nothing when the lock is taken.
std::optional<LockRefusal> takeInstanceLock();
void releaseInstanceLock();

} // namespace kr7
