#include "WindowWidget.h"

#include "InputMessages.h"

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QResizeEvent>

namespace BPrivate {

WindowWidget::WindowWidget(BWindow* window)
    :
    fWindow(window)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
    // The window decides in QuitRequested(); the widget stays until then.
    event->ignore();
    if (fWindow != nullptr)
        fWindow->PostMessage(B_QUIT_REQUESTED);
}

void WindowWidget::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (fWindow != nullptr)
        fWindow->_SystemMoved(geometry().x(), geometry().y());
}

void WindowWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (fWindow == nullptr)
        return;
    // The top view follows at once, so nothing is drawn at the old size;
    // the views below it follow when the window handles the message.
    if (QWidget* top = fWindow->_TopView()->_Widget())
        top->resize(event->size());
    fWindow->_SystemResized(event->size().width(), event->size().height());
}

void WindowWidget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (fWindow != nullptr && event->type() == QEvent::ActivationChange) {
        BMessage message(B_WINDOW_ACTIVATED);
        message.AddBool("active", isActiveWindow());
        fWindow->PostMessage(&message);
    }
}

void WindowWidget::keyPressEvent(QKeyEvent* event)
{
    BMessage message;
    if (fWindow == nullptr || !KeyMessage(B_KEY_DOWN, event, &message)) {
        event->ignore();
        return;
    }
    // Keys that no view took go to the focus view (or the window itself).
    fWindow->PostMessage(&message, fWindow->CurrentFocus() != nullptr
        ? static_cast<BHandler*>(fWindow->CurrentFocus()) : static_cast<BHandler*>(fWindow));
}

void WindowWidget::keyReleaseEvent(QKeyEvent* event)
{
    BMessage message;
    if (fWindow == nullptr || !KeyMessage(B_KEY_UP, event, &message)) {
        event->ignore();
        return;
    }
    fWindow->PostMessage(&message, fWindow->CurrentFocus() != nullptr
        ? static_cast<BHandler*>(fWindow->CurrentFocus()) : static_cast<BHandler*>(fWindow));
}

} // namespace BPrivate
