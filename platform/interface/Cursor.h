// BCursor: a mouse pointer shape, from the platform's 16 x 16 one-bit
// cursor data (68 bytes: size 16, depth 1, hot spot x and y, 32 bytes of
// image rows, 32 bytes of mask rows, most significant bit leftmost) or one
// of the system's shapes.
#pragma once

#include <SupportDefs.h>

#include <memory>

class QCursor;

enum BCursorID {
    B_CURSOR_ID_SYSTEM_DEFAULT = 1,
    B_CURSOR_ID_GRAB = 10,
    B_CURSOR_ID_RESIZE_NORTH_SOUTH = 20
};

class BCursor {
public:
    explicit BCursor(const void* cursorData);
    explicit BCursor(BCursorID id);
    BCursor(const BCursor& other);
    ~BCursor();

    BCursor& operator=(const BCursor& other);

    // For the platform layer.
    const QCursor& _Cursor() const { return *fCursor; }

private:
    std::unique_ptr<QCursor> fCursor;
};
