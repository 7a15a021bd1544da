#include "clock.h"
#include "frm_audit_trail.h"
#include "frm_config.h"
#include "frm_label_config.h"
#include "frm_password.h"
#include "frm_qc_charts.h"
#include "frm_wash_cycle.h"
#include "grid_calibrants.h"
#include "grid_messages.h"
#include "grid_samples_all.h"
#include "guarded_application.h"
#include "platform.h"
#include "prompter.h"
#include "services.h"

#include <memory>

namespace {

// Which screen each button of the configuration screen opens: the one place that knows both.
void openConfigScreenWithItsScreens() {
    auto screen = std::make_unique<kr7::frm_config>();
    screen->registerScreen(QStringLiteral("CMD_messages"), kr7::openMessagesEditor);
    screen->registerScreen(QStringLiteral("cmd_results_all"), kr7::openResultsBrowser);
    screen->registerScreen(QStringLiteral("cmd_calibration_data"), kr7::openCalibrantRecords);
    screen->registerScreen(QStringLiteral("cmd_RJL_Labels"), kr7::openLabelConfigScreen);
    screen->registerScreen(QStringLiteral("cmd_cleaning_cycles"), kr7::openWashCycleScreen);
    screen->registerScreen(QStringLiteral("cmd_qc_charts"), kr7::openQcCharts);
    screen->registerScreen(QStringLiteral("cmd_audit_trail"), kr7::openAuditTrail);
    screen->Form_Load();
    screen.release();
}

} // namespace

int main(int argc, char** argv) {
    kr7::platform::keepNewFilesWithinGroup();
    kr7::GuardedApplication app(argc, argv);
    kr7::QtPrompter prompter;
    kr7::SystemClock clock;
    kr7::services().prompter = &prompter;
    kr7::services().clock = &clock;
    try {
        (new kr7::frm_password(openConfigScreenWithItsScreens))->Form_Load();
        return app.exec();
    } catch (const kr7::ProgramEnded& ended) {
        return ended.exitCode;
    }
}
