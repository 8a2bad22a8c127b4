#include "InputMessages.h"

#include <InterfaceDefs.h>
#include <OS.h>

#include <QKeyEvent>

namespace BPrivate {

uint32 ModifiersOf(Qt::KeyboardModifiers held)
{
    uint32 result = 0;
    if (held & Qt::ShiftModifier)
        result |= B_SHIFT_KEY | B_LEFT_SHIFT_KEY;
    if (held & Qt::ControlModifier)
        result |= B_COMMAND_KEY | B_LEFT_COMMAND_KEY;
    if (held & Qt::AltModifier)
        result |= B_OPTION_KEY | B_LEFT_OPTION_KEY;
    if (held & Qt::MetaModifier)
        result |= B_CONTROL_KEY | B_LEFT_CONTROL_KEY;
    return result;
}

uint32 ButtonsOf(Qt::MouseButtons held)
{
    uint32 result = 0;
    if (held & Qt::LeftButton)
        result |= B_PRIMARY_MOUSE_BUTTON;
    if (held & Qt::RightButton)
        result |= B_SECONDARY_MOUSE_BUTTON;
    if (held & Qt::MiddleButton)
        result |= B_TERTIARY_MOUSE_BUTTON;
    return result;
}

BMessage MouseMessage(uint32 what, BPoint where, Qt::MouseButtons buttons, Qt::KeyboardModifiers held,
    int32 clicks)
{
    BMessage message(what);
    message.AddInt64("when", system_time());
    message.AddPoint("where", where);
    message.AddInt32("modifiers", int32(ModifiersOf(held)));
    message.AddInt32("buttons", int32(ButtonsOf(buttons)));
    if (what == B_MOUSE_DOWN)
        message.AddInt32("clicks", clicks);
    return message;
}

BMessage MouseMovedMessage(BPoint where, uint32 transit, Qt::MouseButtons buttons, Qt::KeyboardModifiers held)
{
    BMessage message(B_MOUSE_MOVED);
    message.AddInt64("when", system_time());
    message.AddPoint("where", where);
    message.AddInt32("buttons", int32(ButtonsOf(buttons)));
    message.AddInt32("modifiers", int32(ModifiersOf(held)));
    message.AddInt32("be:transit", int32(transit));
    return message;
}

BMessage WheelMessage(QPoint angleDelta, Qt::KeyboardModifiers held)
{
    BMessage message(B_MOUSE_WHEEL_CHANGED);
    message.AddInt64("when", system_time());
    message.AddFloat("be:wheel_delta_x", -float(angleDelta.x()) / 120.0f);
    message.AddFloat("be:wheel_delta_y", -float(angleDelta.y()) / 120.0f);
    message.AddInt32("modifiers", int32(ModifiersOf(held)));
    return message;
}

namespace {

// The platform's byte for keys that have no text, and the raw key code of
// the function keys.
bool SpecialKey(int key, char* byte, int32* rawKey)
{
    *rawKey = 0;
    switch (key) {
        case Qt::Key_Backspace: *byte = B_BACKSPACE; return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: *byte = B_TAB; return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: *byte = B_ENTER; return true;
        case Qt::Key_Escape: *byte = B_ESCAPE; return true;
        case Qt::Key_Left: *byte = B_LEFT_ARROW; return true;
        case Qt::Key_Right: *byte = B_RIGHT_ARROW; return true;
        case Qt::Key_Up: *byte = B_UP_ARROW; return true;
        case Qt::Key_Down: *byte = B_DOWN_ARROW; return true;
        case Qt::Key_Insert: *byte = B_INSERT; return true;
        case Qt::Key_Delete: *byte = B_DELETE; return true;
        case Qt::Key_Home: *byte = B_HOME; return true;
        case Qt::Key_End: *byte = B_END; return true;
        case Qt::Key_PageUp: *byte = B_PAGE_UP; return true;
        case Qt::Key_PageDown: *byte = B_PAGE_DOWN; return true;
        case Qt::Key_Print: *byte = B_FUNCTION_KEY; *rawKey = B_PRINT_KEY; return true;
        case Qt::Key_ScrollLock: *byte = B_FUNCTION_KEY; *rawKey = B_SCROLL_KEY; return true;
        case Qt::Key_Pause: *byte = B_FUNCTION_KEY; *rawKey = B_PAUSE_KEY; return true;
        default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        *byte = B_FUNCTION_KEY;
        *rawKey = B_F1_KEY + (key - Qt::Key_F1);
        return true;
    }
    return false;
}

} // namespace

bool KeyMessage(uint32 what, const QKeyEvent* event, BMessage* message)
{
    std::string bytes;
    int32 rawKey = 0;
    char special = 0;
    if (SpecialKey(event->key(), &special, &rawKey)) {
        bytes.assign(1, special);
    } else if (event->key() >= Qt::Key_Space && event->key() <= Qt::Key_AsciiTilde
        && (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        // With the command key held Qt gives control characters; the
        // platform gives the plain character and the modifier.
        char character = char(event->key());
        if (!(event->modifiers() & Qt::ShiftModifier) && character >= 'A' && character <= 'Z')
            character = char(character - 'A' + 'a');
        bytes.assign(1, character);
    } else {
        bytes = event->text().toStdString();
        if (bytes.empty())
            return false;
    }
    *message = BMessage(what);
    message->AddInt64("when", system_time());
    message->AddInt32("modifiers", int32(ModifiersOf(event->modifiers())));
    message->AddInt32("key", rawKey != 0 ? rawKey : int32(event->nativeScanCode()));
    message->AddInt32("raw_char", int32(uint8(bytes[0])));
    message->AddInt8("byte", int8(bytes[0]));
    message->AddString("bytes", bytes.c_str());
    if (event->isAutoRepeat())
        message->AddInt32("be:key_repeat", 1);
    return true;
}

} // namespace BPrivate
