#include "widget_colours.h"

#include <QWidget>

namespace kr7 {

void setFieldBackground(QWidget* field, const QColor& colour) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Text, kFieldText);
    field->setPalette(palette);
}

} // namespace kr7
