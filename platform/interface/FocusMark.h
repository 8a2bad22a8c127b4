// The keyboard-navigation mark of the native controls (buttons, check
// boxes): a line in the platform's navigation colour under the label, as
// the platform's own controls draw it when they hold the keyboard focus.
// Only the platform layer includes this header.
#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace BPrivate {

// B_KEYBOARD_NAVIGATION_COLOR as a Qt colour.
QColor NavigationColor();

// Draws the mark under label, laid out centred in the widget (a push
// button's label) or, with textLeft >= 0, starting at that x (a check
// box's label). Nothing when the widget does not have the focus.
void DrawLabelFocusMark(QWidget* widget, const QString& label, int textLeft = -1);

} // namespace BPrivate
