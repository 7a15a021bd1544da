#include "frm_config.h"

#include "clock.h"
#include "common_procs.h"
#include "config_commands.h"
#include "config_load.h"
#include "field_editing.h"
#include "services.h"
#include "settings_table.h"
#include "switch_controls.h"
#include "trap.h"
#include "widget_colours.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kr7 {

namespace {

// The buttons that open other screens: disabled until their screen is registered.
const QStringList kScreenButtons = {
    QStringLiteral("CMD_messages"),         QStringLiteral("cmd_results_all"),
    QStringLiteral("cmd_calibration_data"), QStringLiteral("cmd_RJL_Labels"),
    QStringLiteral("cmd_cleaning_cycles"),  QStringLiteral("cmd_qc_charts"),
    QStringLiteral("cmd_audit_trail")};

} // namespace

frm_config::frm_config(QWidget* parent)
    : QMainWindow(parent), SSTab1_(config::buildTabs(state_.controls)), statusPrompt_(new QLabel),
      statusWarning_(new QLabel), statusInstrument_(new QLabel) {
    setObjectName(QStringLiteral("frm_config"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(SSTab1_);
    buildFixedLabels(central);
    setCentralWidget(central);
    auto* bar = new QStatusBar;
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusPrompt_->setObjectName(QStringLiteral("StatusBar1_Panel1"));
    statusInstrument_->setObjectName(QStringLiteral("StatusBar1_Panel2"));
    statusWarning_->setObjectName(QStringLiteral("StatusBar1_Warning"));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    statusWarning_->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    statusWarning_->hide();
    bar->addWidget(statusWarning_);
    bar->addWidget(statusPrompt_, 1);
    bar->addPermanentWidget(statusInstrument_);
    setStatusBar(bar);
    for (const QString& name : kScreenButtons)
        state_.controls.value(name)->setEnabled(false);
    state_.showStatus = [this](const QString& text) { Show_status_text(text); };
    state_.showRefusal = [this](const QString& text) { Show_refusal(text); };
    new config::FieldEditor(state_, this);
    config::connectSwitches(state_, this);
    config::connectCommands(state_, this);
    // Fits a 1366 by 768 screen with the title bar and a task bar; smaller, the tabs scroll.
    setMinimumSize(800, 480);
    resize(1220, 640);
}

frm_config::~frm_config() = default;

void frm_config::buildFixedLabels(QWidget* central) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(
        QStringLiteral("Settings not found here will be on the Configuration screen in KR7_Main")));
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("You can press ESC to abort a change")));
    // Where Enter sends the focus: out of every field, onto nothing the user sees.
    auto* dummy = new QPushButton;
    dummy->setObjectName(QStringLiteral("cmd_dummy"));
    dummy->setFixedSize(1, 1);
    dummy->setFocusPolicy(Qt::ClickFocus);
    dummy->setAccessibleName(QStringLiteral("Field left; Tab moves to the next field"));
    row->addWidget(dummy);
    state_.controls.insert(dummy->objectName(), dummy);
    static_cast<QVBoxLayout*>(central->layout())->addLayout(row);
}

void frm_config::Form_Load() {
    setWindowTitle(QStringLiteral("KR7 Data Configuration 4-0f "));
    state_.loading = true;
    const Trap trap(QStringLiteral("frm_Config : form_load"));
    trap.run([] { Check_PIC_records(); });
    trap.run([this] {
        instrumentNumber_ = Get_PIC_ID();
        statusInstrument_->setText(QStringLiteral("KR7 = ") + instrumentNumber_);
    });
    config::fillControls(state_.controls, trap, services().clock->now(), state_.limits);
    show();
    SSTab1_->setCurrentIndex(0);
    state_.changed.clearAll();
    state_.loading = false;
}

void frm_config::Show_status_text(const QString& text) {
    statusPrompt_->setPalette(QPalette());
    statusWarning_->hide();
    statusPrompt_->setText(text);
}

void frm_config::Show_refusal(const QString& text) {
    QPalette warning;
    warning.setColor(QPalette::WindowText, kWarningRed);
    statusPrompt_->setPalette(warning);
    statusWarning_->show();
    statusPrompt_->setText(text);
    raiseAlert(statusPrompt_);
}

void frm_config::registerScreen(const QString& buttonObjectName, OwnedScreen::Factory factory) {
    auto* button = qobject_cast<QPushButton*>(state_.controls.value(buttonObjectName));
    Q_ASSERT(button);
    auto& screen = screens_[buttonObjectName];
    screen = std::make_unique<OwnedScreen>(this, std::move(factory));
    disconnect(button, &QPushButton::clicked, this, nullptr);
    connect(button, &QPushButton::clicked, this, [s = screen.get()] { s->open(); });
    button->setEnabled(true);
}

QString frm_config::textOf(const QString& field) const {
    return state_.control<QLineEdit>(field)->text();
}

// The open screens close first, each through its own close handling (the label screen
// saves its pending field, the results browser refuses while an export runs), rather than
// be torn down with this window; one that refuses keeps this one open too.
void frm_config::closeEvent(QCloseEvent* event) {
    for (const auto& [name, screen] : screens_)
        if (!screen->close()) {
            event->ignore();
            return;
        }
    Form_QueryUnload();
    event->accept();
}

void frm_config::Form_QueryUnload() {
    const Trap trap(QStringLiteral("frm_config : Form_QueryUnload"));
    config::saveClosing(
        state_.changed,
        {[this](const QString& field) { return textOf(field); }, state_.textOnEntry}, state_.limits,
        trap);
}

void openConfigScreen() {
    auto screen = std::make_unique<frm_config>();
    screen->Form_Load();
    screen.release();
}

} // namespace kr7
