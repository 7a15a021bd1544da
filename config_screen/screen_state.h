#pragma once

#include "close_time_save.h"
#include "config_layout.h"
#include "config_values.h"

#include <QHash>
#include <QString>
#include <functional>

// What the configuration screen's handlers share while the window is open.
namespace kr7::config {

struct ScreenState {
    Controls controls;
    // Set while the screen itself fills controls, so that nothing it writes is taken for an
    // edit of the user's.
    bool loading = false;
    ChangedFlags changed;
    // Each field's text when the user last entered it: what Esc and a refusal put back, and
    // the characters a commit takes besides those of the field's typing class.
    QHash<QString, QString> textOnEntry;
    TemperatureLimits limits;
    std::function<void(const QString&)> showStatus;  // the prompt line
    std::function<void(const QString&)> showRefusal; // the prompt line, as a warning

    template <class W> W* control(const QString& name) const {
        return static_cast<W*>(controls.value(name));
    }
};

// The name a handler reports its errors under, "frm_config : txt_Site_ID_LostFocus": the
// control's window, the control and the event.
QString handlerErrorName(const QWidget* control, const char* event);

} // namespace kr7::config
