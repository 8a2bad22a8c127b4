#include "FocusMark.h"

#include <InterfaceDefs.h>

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace BPrivate {

QColor NavigationColor()
{
    const rgb_color colour = ui_color(B_KEYBOARD_NAVIGATION_COLOR);
    return QColor(colour.red, colour.green, colour.blue);
}

void DrawLabelFocusMark(QWidget* widget, const QString& label, int textLeft)
{
    if (widget == nullptr || !widget->hasFocus() || !widget->isEnabled())
        return;
    // Qt's "&&" shows one '&'; a single '&' marks a mnemonic and is not drawn.
    QString shown = label;
    shown.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    shown.remove(QLatin1Char('&'));
    shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    const QFontMetrics metrics(widget->font());
    const QRect area = widget->rect();
    // At least a short mark when the label is empty (a picture-only button).
    const int width = std::max(metrics.horizontalAdvance(shown), 12);
    const int left = textLeft >= 0 ? textLeft : area.left() + (area.width() - width) / 2;
    const int baseline = area.top() + (area.height() + metrics.ascent() - metrics.descent()) / 2;
    const int y = std::min(baseline + 2, area.bottom() - 2);
    QPainter painter(widget);
    painter.setPen(QPen(NavigationColor(), 1));
    painter.drawLine(left, y, left + width - 1, y);
}

} // namespace BPrivate
