#include "clock.h"
#include "frm_config.h"
#include "frm_password.h"
#include "guarded_application.h"
#include "prompter.h"
#include "services.h"

int main(int argc, char** argv) {
    kr7::GuardedApplication app(argc, argv);
    kr7::QtPrompter prompter;
    kr7::SystemClock clock;
    kr7::services().prompter = &prompter;
    kr7::services().clock = &clock;
    try {
        (new kr7::frm_password(kr7::openConfigScreen))->Form_Load();
        return app.exec();
    } catch (const kr7::ProgramEnded& ended) {
        return ended.exitCode;
    }
}
