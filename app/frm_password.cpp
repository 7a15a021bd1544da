#include "frm_password.h"

#include "clock.h"
#include "common_procs.h"
#include "database.h"
#include "error_report.h"
#include "install_folder.h"
#include "platform.h"
#include "services.h"
#include "trap.h"
#include "widget_colours.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProxyStyle>
#include <QSysInfo>
#include <QVBoxLayout>
#include <memory>

namespace kr7 {

namespace {

const QString kFormName = QStringLiteral("frm_password : ");

std::unique_ptr<QLockFile>& instanceLock() {
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

// Echoes every typed character as "*", whatever the platform's own password character.
class StarEchoStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Not of a Yes/No value, as the original tested the flag: a number is negated bit by bit.
bool logicalNot(const Value& flag) {
    if (flag.kind() == Value::Kind::YesNo)
        return !flag.asYesNo();
    if (flag.isNumber())
        return ~static_cast<std::int64_t>(flag.toNumber()) != 0;
    throw typeMismatch();
}

// A lock whose owner cannot be told, or whose owner has ended, is not a running copy's: it
// could not be taken over for another reason. A copy on another machine sharing the folder
// cannot be asked, and counts as running.
bool heldByRunningCopy(const QLockFile& lock) {
    qint64 pid = 0;
    QString hostName;
    QString appName;
    if (!lock.getLockInfo(&pid, &hostName, &appName))
        return false;
    if (!hostName.isEmpty() && hostName != QSysInfo::machineHostName())
        return true;
    return platform::processRunning(pid);
}

} // namespace

std::optional<LockRefusal> takeInstanceLock() {
    auto lock = std::make_unique<QLockFile>(files::instanceLockFile());
    // Only a dead owner makes a lock stale, however old it is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        instanceLock() = std::move(lock);
        return std::nullopt;
    }
    switch (lock->error()) {
    case QLockFile::LockFailedError:
        if (heldByRunningCopy(*lock))
            return LockRefusal{true};
        return LockRefusal{false, QStringLiteral("a lock file is there that no running copy of "
                                                 "the program holds, and it cannot be read or "
                                                 "removed")};
    case QLockFile::PermissionError:
        return LockRefusal{false, QStringLiteral("no permission to create the lock file")};
    default:
        return LockRefusal{
            false, QStringLiteral("the lock file cannot be written (the disk may be full)")};
    }
}

void releaseInstanceLock() {
    instanceLock().reset();
}

frm_password::frm_password(std::function<void()> openConfigScreen, QWidget* parent)
    : QWidget(parent), openConfigScreen_(std::move(openConfigScreen)),
      Label1_(new QLabel(QStringLiteral("Enter password to use program then press ENTER"))),
      txt_password_(new QLineEdit) {
    setObjectName(QStringLiteral("frm_password"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Password"));
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setBuddy(txt_password_);
    txt_password_->setObjectName(QStringLiteral("txt_password"));
    txt_password_->setEchoMode(QLineEdit::Password);
    auto* style = new StarEchoStyle;
    style->setParent(txt_password_);
    txt_password_->setStyle(style);
    txt_password_->setAccessibleName(Label1_->text());
    txt_password_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1_);
    layout->addWidget(txt_password_);
}

QString frm_password::logonPassword(const QDateTime& now) {
    return QLatin1String(kLogonPrefix) + now.toString(QStringLiteral("dd"));
}

void frm_password::Form_Load() {
    if (!QFileInfo::exists(files::databaseFile())) {
        services().prompter->ask({QStringLiteral("Cannot find ") + files::installFolder(),
                                  kErrorBoxTitle, Icon::Exclamation, Buttons::Ok});
        endProgram(1);
    }
    if (const auto refusal = takeInstanceLock()) {
        if (refusal->heldByRunningCopy)
            services().prompter->ask({QStringLiteral("Program already running"), kProgramTitle,
                                      Icon::Exclamation, Buttons::Ok});
        else
            services().prompter->ask({QStringLiteral("Cannot lock the folder %1: %2")
                                          .arg(files::installFolder(), refusal->reason),
                                      kErrorBoxTitle, Icon::Exclamation, Buttons::Ok});
        endProgram(1);
    }
    const Trap trap(kFormName + QStringLiteral("form_load"));
    trap.run([] { Open_database(); });
    // When the flag cannot be read the password is asked for: the safer way to go on.
    const bool passwordWanted = trap.value<bool>(
        [] { return !logicalNot(Get_PC_Config_value(QStringLiteral("PC_41"))); }, true);
    if (!passwordWanted) {
        openConfigScreenAndUnload();
        return;
    }
    show();
    txt_password_->setFocus();
}

bool frm_password::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txt_password_) {
        if (event->type() == QEvent::FocusIn)
            setFieldBackground(txt_password_, kEditingYellow);
        if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event))) {
            Trap(kFormName + QStringLiteral("txt_password_KeyPress")).run([this] {
                txt_password_KeyPress();
            });
            return true; // the Enter key never reaches the field
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frm_password::txt_password_KeyPress() {
    if (txt_password_->text() == logonPassword(services().clock->now()))
        openConfigScreenAndUnload();
    else
        txt_password_->clear();
}

void frm_password::openConfigScreenAndUnload() {
    openConfigScreen_();
    close();
}

} // namespace kr7
