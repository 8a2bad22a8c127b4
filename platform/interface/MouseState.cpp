#include <MouseState.h>

#include "GuiThread.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

status_t get_mouse_screen(BPoint* pointer, BRect* screenFrame)
{
    QPoint position;
    QRect geometry;
    bool found = false;
    BPrivate::GuiThread::EnsureApplication();
    BPrivate::GuiThread::Call([&] {
        position = QCursor::pos();
        QScreen* screen = QGuiApplication::screenAt(position);
        if (screen == nullptr)
            screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            geometry = screen->geometry();
            found = true;
        }
    });
    if (pointer != nullptr)
        *pointer = BPoint(float(position.x()), float(position.y()));
    if (screenFrame != nullptr) {
        *screenFrame = found ? BRect(geometry.left(), geometry.top(), geometry.right(), geometry.bottom())
                             : BRect(0, 0, 639, 479);
    }
    return found ? B_OK : B_ERROR;
}
