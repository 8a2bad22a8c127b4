#include <Cursor.h>

#include <QBitmap>
#include <QCursor>
#include <QImage>

namespace {

constexpr int kSize = 16;

QBitmap Rows(const uint8* rows)
{
    // The data's bits: 1 is black in the image and opaque in the mask;
    // QBitmap's 1 (color1) is black as well.
    QImage image(kSize, kSize, QImage::Format_MonoLSB);
    image.fill(0);
    for (int y = 0; y < kSize; y++) {
        const int bits = (rows[y * 2] << 8) | rows[y * 2 + 1];
        for (int x = 0; x < kSize; x++) {
            if (bits & (0x8000 >> x))
                image.setPixel(x, y, 1);
        }
    }
    return QBitmap::fromImage(image);
}

} // namespace

BCursor::BCursor(const void* cursorData)
{
    const auto* data = static_cast<const uint8*>(cursorData);
    if (data == nullptr || data[0] != kSize || data[1] != 1) {
        fCursor = std::make_unique<QCursor>(Qt::ArrowCursor);
        return;
    }
    fCursor = std::make_unique<QCursor>(Rows(data + 4), Rows(data + 4 + 32), data[2], data[3]);
}

BCursor::BCursor(BCursorID id)
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
    fCursor(std::make_unique<QCursor>(*other.fCursor))
{
}

BCursor::~BCursor()
{
}

BCursor& BCursor::operator=(const BCursor& other)
{
    if (this != &other)
        *fCursor = *other.fCursor;
    return *this;
}
