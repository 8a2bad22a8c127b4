#include <Cursor.h>

#include <QBitmap>
#include <QCursor>
#include <QImage>

// Only the header matters for the stock cursors: they are told apart by
// address and drawn by the desktop.
const unsigned char B_HAND_CURSOR[68] = {16, 1, 0, 0};
const unsigned char B_I_BEAM_CURSOR[68] = {16, 1, 7, 7};

namespace {

constexpr int kSize = 16;

QBitmap Rows(const uint8* rows)
{
    // 1 is black in the image and shown in the mask; QBitmap's colour 1
    // (black) means the same.
    QImage image(kSize, kSize, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < kSize; y++) {
        const int bits = (rows[y * 2] << 8) | rows[y * 2 + 1];
        for (int x = 0; x < kSize; x++)
            image.setPixel(x, y, (bits & (0x8000 >> x)) ? 1 : 0);
    }
    return QBitmap::fromImage(image);
}

} // namespace

BCursor::BCursor(const void* cursorData)
    :
    fCursor(std::make_unique<QCursor>(Qt::ArrowCursor)),
    fStatus(B_OK)
{
    const auto* data = static_cast<const uint8*>(cursorData);
    if (data == B_HAND_CURSOR)
        return;
    if (data == B_I_BEAM_CURSOR) {
        *fCursor = QCursor(Qt::IBeamCursor);
        return;
    }
    if (data == nullptr || data[0] != kSize || data[1] != 1) {
        fStatus = B_BAD_VALUE;
        return;
    }
    // The hot spot is stored row first.
    *fCursor = QCursor(Rows(data + 4), Rows(data + 4 + 32), data[3], data[2]);
}

BCursor::BCursor(BCursorID id)
    :
    fStatus(B_OK)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (id == B_CURSOR_ID_GRAB)
        shape = Qt::OpenHandCursor;
    else if (id == B_CURSOR_ID_RESIZE_NORTH_SOUTH)
        shape = Qt::SizeVerCursor;
    fCursor = std::make_unique<QCursor>(shape);
}

BCursor::BCursor(const BCursor& other)
    :
    fCursor(std::make_unique<QCursor>(*other.fCursor)),
    fStatus(other.fStatus)
{
}

BCursor::~BCursor()
{
}

BCursor& BCursor::operator=(const BCursor& other)
{
    if (this != &other) {
        *fCursor = *other.fCursor;
        fStatus = other.fStatus;
    }
    return *this;
}

status_t BCursor::InitCheck() const
{
    return fStatus;
}
