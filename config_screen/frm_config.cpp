#include "frm_config.h"

#include "common_procs.h"
#include "trap.h"

#include <QLabel>
#include <QStatusBar>

namespace kr7 {

frm_config::frm_config(QWidget* parent)
    : QMainWindow(parent), statusPrompt_(new QLabel), statusInstrument_(new QLabel) {
    setObjectName(QStringLiteral("frm_config"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* bar = new QStatusBar;
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusPrompt_->setObjectName(QStringLiteral("StatusBar1_Panel1"));
    statusInstrument_->setObjectName(QStringLiteral("StatusBar1_Panel2"));
    bar->addWidget(statusPrompt_, 1);
    bar->addPermanentWidget(statusInstrument_);
    setStatusBar(bar);
    resize(900, 640);
}

void frm_config::Form_Load() {
    setWindowTitle(QStringLiteral("KR7 Data Configuration 4-0f "));
    const Trap trap(QStringLiteral("frm_Config : form_load"));
    trap.run([] { Check_PIC_records(); });
    trap.run([this] {
        instrumentNumber_ = Get_PIC_ID();
        statusInstrument_->setText(QStringLiteral("KR7 = ") + instrumentNumber_);
    });
    show();
}

void frm_config::Show_status_text(const QString& text) {
    statusPrompt_->setText(text);
}

void openConfigScreen() {
    (new frm_config)->Form_Load();
}

} // namespace kr7
