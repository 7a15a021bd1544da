#pragma once

#include <QColor>

class QWidget;

namespace kr7 {

// The colours the lab staff know: yellow while a field is being edited, white otherwise,
// and the read-only fields' peach.
inline const QColor kEditingYellow{255, 255, 0};
inline const QColor kFieldWhite{255, 255, 255};
inline const QColor kReadOnlyPeach{255, 224, 192};
// The text on those light backgrounds, whatever the theme's own text colour.
inline const QColor kFieldText{0, 0, 0};
// A refusal's text on the window's own background.
inline const QColor kWarningRed{192, 0, 0};

// Sets the background a text field paints (its base colour), and dark text on it: a dark or
// high-contrast theme's light text would not show on these colours.
void setFieldBackground(QWidget* field, const QColor& colour);

} // namespace kr7
