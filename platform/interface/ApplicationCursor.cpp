// The application-wide pointer, on Qt's override cursor stack: at most one
// override is kept, and the stock hand cursor removes it.
#include <Cursor.h>

#include "GuiThread.h"

#include <QCursor>
#include <QGuiApplication>

void set_application_cursor(const BCursor* cursor)
{
    if (QGuiApplication::instance() == nullptr)
        return;
    const bool reset = cursor == nullptr;
    const QCursor shape = reset ? QCursor() : cursor->_Cursor();
    BPrivate::GuiThread::Call([reset, &shape] {
        while (QGuiApplication::overrideCursor() != nullptr)
            QGuiApplication::restoreOverrideCursor();
        if (!reset && shape.shape() != Qt::ArrowCursor)
            QGuiApplication::setOverrideCursor(shape);
    });
}
