// PNG encoding through Qt's image classes.
#include "BitmapPng.h"

#include "Bitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

status_t
encode_bitmap_png(const BBitmap* bitmap, std::string* data)
{
    if (bitmap == nullptr || data == nullptr || !bitmap->IsValid())
        return B_BAD_VALUE;
    const BRect bounds = bitmap->Bounds();
    const int width = int(bounds.Width()) + 1;
    const int height = int(bounds.Height()) + 1;
    if (width <= 0 || height <= 0)
        return B_BAD_VALUE;

    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const rgb_color color = bitmap->ColorAt(x, y);
            image.setPixel(x, y, qRgba(color.red, color.green, color.blue, color.alpha));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return B_ERROR;
    data->assign(bytes.constData(), size_t(bytes.size()));
    return B_OK;
}


bool
decode_image_size(const std::string& data, int32* width, int32* height)
{
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(data.data()), qsizetype(data.size())))
        return false;
    if (width != nullptr)
        *width = image.width();
    if (height != nullptr)
        *height = image.height();
    return true;
}
