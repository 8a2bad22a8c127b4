#include <BitmapImage.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Pixel counts as the bitmap itself derives them from its frame.
int32 Width(const BBitmap& bitmap)
{
    const BRect b = bitmap.Bounds();
    return int32(std::floor(b.right) - std::floor(b.left)) + 1;
}

int32 Height(const BBitmap& bitmap)
{
    const BRect b = bitmap.Bounds();
    return int32(std::floor(b.bottom) - std::floor(b.top)) + 1;
}

} // namespace

QImage bitmap_to_image(const BBitmap& bitmap)
{
    if (!bitmap.IsValid())
        return {};
    const int32 width = Width(bitmap);
    const int32 height = Height(bitmap);
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const auto* bits = static_cast<const uint8*>(bitmap.Bits());
    const color_space space = bitmap.ColorSpace();
    for (int32 y = 0; y < height; y++) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8* row = bits + size_t(y) * size_t(bitmap.BytesPerRow());
        if (space == B_RGBA32 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            // B, G, R, A in memory is exactly a little-endian 0xAARRGGBB.
            std::memcpy(line, row, size_t(width) * 4);
            continue;
        }
        for (int32 x = 0; x < width; x++) {
            const rgb_color c = bitmap.ColorAt(x, y);
            line[x] = qRgba(c.red, c.green, c.blue, c.alpha);
        }
    }
    return image;
}

status_t image_to_bitmap(const QImage& image, BBitmap* bitmap)
{
    if (image.isNull() || bitmap == nullptr || !bitmap->IsValid())
        return B_BAD_VALUE;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int32 width = std::min(int32(source.width()), Width(*bitmap));
    const int32 height = std::min(int32(source.height()), Height(*bitmap));
    for (int32 y = 0; y < height; y++) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int32 x = 0; x < width; x++) {
            const QRgb p = line[x];
            bitmap->SetColorAt(x, y, make_color(uint8(qRed(p)), uint8(qGreen(p)), uint8(qBlue(p)), uint8(qAlpha(p))));
        }
    }
    return B_OK;
}
