#include "frm_data_export_please_wait.h"

#include "conversions.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWindow>

namespace kr7 {

namespace {
constexpr int kRowsPerRefresh = 500;
} // namespace

frm_Data_Export_Please_Wait::frm_Data_Export_Please_Wait(QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), owner_(owner),
      lbl_progress_(new QLabel) {
    setObjectName(QStringLiteral("frm_Data_Export_Please_Wait"));
    setWindowTitle(QStringLiteral("KR7 Software"));
    auto* label = new QLabel(QStringLiteral("Please wait - processing"));
    label->setObjectName(QStringLiteral("Label1"));
    lbl_progress_->setObjectName(QStringLiteral("lbl_progress"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lbl_progress_);
    setMinimumWidth(260);
}

void frm_Data_Export_Please_Wait::start() {
    lbl_progress_->clear();
    winId();
    if (owner_)
        windowHandle()->setTransientParent(owner_->windowHandle());
    show();
    raise();
    QApplication::processEvents();
}

void frm_Data_Export_Please_Wait::rowDone(int done, int total) {
    // The label shows only what the window draws, and it draws only here: a text set for
    // every row would cost the export more than its rows.
    if (done % kRowsPerRefresh != 0 && done != total)
        return;
    lbl_progress_->setText(QStringLiteral("Record ") + conv::formatNumber(done, u"0") +
                           QStringLiteral(" of ") + conv::formatNumber(total, u"0"));
    QApplication::processEvents();
}

} // namespace kr7
