#include "screen_state.h"

#include <QWidget>

namespace kr7::config {

QString handlerErrorName(const QWidget* control, const char* event) {
    return control->window()->objectName() + QStringLiteral(" : ") + control->objectName() + u'_' +
           QLatin1String(event);
}

} // namespace kr7::config
