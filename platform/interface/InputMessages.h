// Input from Qt turned into the platform's input messages (B_MOUSE_DOWN,
// B_MOUSE_UP, B_MOUSE_MOVED, B_KEY_DOWN, B_KEY_UP) with their usual fields:
// "when", "where", "buttons", "modifiers", "clicks", "be:transit",
// "bytes", "byte", "raw_char", "key". Only the platform layer includes this.
#pragma once

#include <Message.h>
#include <Point.h>

#include <QPoint>
#include <Qt>

class QKeyEvent;

namespace BPrivate {

uint32 ModifiersOf(Qt::KeyboardModifiers held);
uint32 ButtonsOf(Qt::MouseButtons held);

BMessage MouseMessage(uint32 what, BPoint where, Qt::MouseButtons buttons, Qt::KeyboardModifiers held,
    int32 clicks);
BMessage MouseMovedMessage(BPoint where, uint32 transit, Qt::MouseButtons buttons, Qt::KeyboardModifiers held);
// A turn of the mouse wheel: "be:wheel_delta_x" and "be:wheel_delta_y"
// in notches (one notch is 1.0; positive y turns towards the user, which
// scrolls the content up, positive x to the right) from Qt's angle delta
// in eighths of a degree (120 a notch).
BMessage WheelMessage(QPoint angleDelta, Qt::KeyboardModifiers held);
// False for keys the platform has no byte for (lone modifier keys).
bool KeyMessage(uint32 what, const QKeyEvent* event, BMessage* message);

// Posted to a view when Qt gave its widget the keyboard focus (Tab, a
// click on a native widget); the window makes the view its focus view.
constexpr uint32 kWidgetFocusMessage = '_WFI';

} // namespace BPrivate
