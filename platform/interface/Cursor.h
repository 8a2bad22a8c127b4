// BCursor: a mouse pointer shape, from the platform's 16 x 16 one-bit
// cursor data (68 bytes: size 16, depth 1, the hot spot's row then column,
// 32 bytes of image rows with 1 for black, 32 bytes of mask rows with 1 for
// shown, most significant bit leftmost), from one of the stock cursors, or
// from one of the system's shapes.
#pragma once

#include <SupportDefs.h>

#include <memory>

class QCursor;

enum BCursorID {
    B_CURSOR_ID_SYSTEM_DEFAULT = 1,
    B_CURSOR_ID_GRAB = 10,
    B_CURSOR_ID_RESIZE_NORTH_SOUTH = 20
};

// The stock cursors' data; BCursor recognises them and uses the desktop's
// arrow and text beam.
extern const unsigned char B_HAND_CURSOR[];
extern const unsigned char B_I_BEAM_CURSOR[];

class BCursor {
public:
    explicit BCursor(const void* cursorData);
    explicit BCursor(BCursorID id);
    BCursor(const BCursor& other);
    ~BCursor();

    BCursor& operator=(const BCursor& other);

    // B_BAD_VALUE for data that is not a 16 x 16, 1-bit cursor (the cursor
    // then shows the arrow).
    status_t InitCheck() const;

    // For the platform layer.
    const QCursor& _Cursor() const { return *fCursor; }

private:
    std::unique_ptr<QCursor> fCursor;
    status_t fStatus;
};

// The application's pointer over all its windows; null or the stock hand
// cursor gives back the desktop's own pointer.
void set_application_cursor(const BCursor* cursor);
