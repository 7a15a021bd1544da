#include "owned_screen.h"

namespace kr7 {

QWidget* OwnedScreen::open() {
    if (!instance_) {
        instance_ = factory_(owner_);
        return instance_;
    }
    instance_->show();
    instance_->raise();
    instance_->activateWindow();
    return instance_;
}

bool OwnedScreen::close() {
    return !instance_ || instance_->close();
}

} // namespace kr7
