#include <Bitmap.h>

#include <Message.h>
#include <TypeConstants.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Largest bitmap we build from an archive or a file: 16384 x 16384 pixels
// of four bytes. Larger declared frames are rejected rather than allocated.
constexpr int64 kMaxBitmapBytes = int64(16384) * 16384 * 4;

bool KnownSpace(color_space space)
{
    return get_bits_per_pixel(space) != 0;
}

int32 RoundedWidth(float left, float right)
{
    const double width = std::floor(double(right)) - std::floor(double(left)) + 1;
    if (!(width >= 1) || width > 1e6)
        return 0;
    return int32(width);
}

uint16 Read16(const uint8* p, bool big)
{
    return big ? uint16((p[0] << 8) | p[1]) : uint16(p[0] | (p[1] << 8));
}

void Write16(uint8* p, uint16 v, bool big)
{
    if (big) {
        p[0] = uint8(v >> 8);
        p[1] = uint8(v);
    } else {
        p[0] = uint8(v);
        p[1] = uint8(v >> 8);
    }
}

uint8 Expand5(uint32 v) { return uint8((v << 3) | (v >> 2)); }
uint8 Expand6(uint32 v) { return uint8((v << 2) | (v >> 4)); }

rgb_color ReadPixel(const uint8* row, int32 x, color_space space)
{
    switch (space) {
    case B_GRAY1: {
        const bool black = (row[x / 8] >> (7 - x % 8)) & 1;
        const uint8 v = black ? 0 : 255;
        return make_color(v, v, v);
    }
    case B_GRAY8:
        return make_color(row[x], row[x], row[x]);
    case B_CMAP8: {
        const uint8 index = row[x];
        if (index == B_TRANSPARENT_MAGIC_CMAP8)
            return B_TRANSPARENT_COLOR;
        return system_palette()[index];
    }
    case B_RGB24: {
        const uint8* p = row + x * 3;
        return make_color(p[2], p[1], p[0]);
    }
    case B_RGB24_BIG: {
        const uint8* p = row + x * 3;
        return make_color(p[0], p[1], p[2]);
    }
    case B_RGB32: {
        const uint8* p = row + x * 4;
        return make_color(p[2], p[1], p[0]);
    }
    case B_RGBA32: {
        const uint8* p = row + x * 4;
        return make_color(p[2], p[1], p[0], p[3]);
    }
    case B_RGB32_BIG: {
        const uint8* p = row + x * 4;
        return make_color(p[1], p[2], p[3]);
    }
    case B_RGBA32_BIG: {
        const uint8* p = row + x * 4;
        return make_color(p[1], p[2], p[3], p[0]);
    }
    case B_RGB16:
    case B_RGB16_BIG: {
        const uint16 v = Read16(row + x * 2, space == B_RGB16_BIG);
        return make_color(Expand5((v >> 11) & 0x1f), Expand6((v >> 5) & 0x3f), Expand5(v & 0x1f));
    }
    case B_RGB15:
    case B_RGB15_BIG:
    case B_RGBA15:
    case B_RGBA15_BIG: {
        const bool big = space == B_RGB15_BIG || space == B_RGBA15_BIG;
        const uint16 v = Read16(row + x * 2, big);
        const bool hasAlpha = space == B_RGBA15 || space == B_RGBA15_BIG;
        return make_color(Expand5((v >> 10) & 0x1f), Expand5((v >> 5) & 0x1f), Expand5(v & 0x1f),
            hasAlpha ? ((v & 0x8000) ? 255 : 0) : 255);
    }
    default:
        return B_TRANSPARENT_COLOR;
    }
}

void WritePixel(uint8* row, int32 x, color_space space, const rgb_color& c)
{
    switch (space) {
    case B_GRAY1: {
        const int32 luma = (c.red * 299 + c.green * 587 + c.blue * 114) / 1000;
        const uint8 mask = uint8(0x80 >> (x % 8));
        if (luma < 128)
            row[x / 8] |= mask;
        else
            row[x / 8] &= uint8(~mask);
        break;
    }
    case B_GRAY8:
        row[x] = uint8((c.red * 299 + c.green * 587 + c.blue * 114) / 1000);
        break;
    case B_CMAP8:
        row[x] = c.alpha < 128 ? B_TRANSPARENT_MAGIC_CMAP8 : index_for_color(c.red, c.green, c.blue, 255);
        break;
    case B_RGB24: {
        uint8* p = row + x * 3;
        p[0] = c.blue; p[1] = c.green; p[2] = c.red;
        break;
    }
    case B_RGB24_BIG: {
        uint8* p = row + x * 3;
        p[0] = c.red; p[1] = c.green; p[2] = c.blue;
        break;
    }
    case B_RGB32:
    case B_RGBA32: {
        uint8* p = row + x * 4;
        p[0] = c.blue; p[1] = c.green; p[2] = c.red;
        p[3] = space == B_RGBA32 ? c.alpha : 255;
        break;
    }
    case B_RGB32_BIG:
    case B_RGBA32_BIG: {
        uint8* p = row + x * 4;
        p[0] = space == B_RGBA32_BIG ? c.alpha : 255;
        p[1] = c.red; p[2] = c.green; p[3] = c.blue;
        break;
    }
    case B_RGB16:
    case B_RGB16_BIG:
        Write16(row + x * 2, uint16(((c.red >> 3) << 11) | ((c.green >> 2) << 5) | (c.blue >> 3)),
            space == B_RGB16_BIG);
        break;
    case B_RGB15:
    case B_RGB15_BIG:
    case B_RGBA15:
    case B_RGBA15_BIG: {
        const bool big = space == B_RGB15_BIG || space == B_RGBA15_BIG;
        const bool hasAlpha = space == B_RGBA15 || space == B_RGBA15_BIG;
        uint16 v = uint16(((c.red >> 3) << 10) | ((c.green >> 3) << 5) | (c.blue >> 3));
        if (!hasAlpha || c.alpha >= 128)
            v |= 0x8000;
        Write16(row + x * 2, v, big);
        break;
    }
    default:
        break;
    }
}

} // namespace

int32 get_bits_per_pixel(color_space space)
{
    switch (space) {
    case B_GRAY1: return 1;
    case B_GRAY8:
    case B_CMAP8: return 8;
    case B_RGB15:
    case B_RGB15_BIG:
    case B_RGBA15:
    case B_RGBA15_BIG:
    case B_RGB16:
    case B_RGB16_BIG: return 16;
    case B_RGB24:
    case B_RGB24_BIG: return 24;
    case B_RGB32:
    case B_RGB32_BIG:
    case B_RGBA32:
    case B_RGBA32_BIG: return 32;
    default: return 0;
    }
}

int32 get_bytes_per_row(color_space space, int32 width)
{
    const int32 bits = get_bits_per_pixel(space);
    if (bits == 0 || width <= 0)
        return 0;
    const int64 raw = bits == 1 ? (int64(width) + 7) / 8 : int64(width) * (bits / 8);
    return int32((raw + 3) / 4 * 4);
}

BBitmap::BBitmap(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow)
{
    Init(bounds, flags, space, bytesPerRow);
}

BBitmap::BBitmap(BRect bounds, color_space space, bool acceptsViews, bool needsContiguous)
{
    Init(bounds, (acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0) | (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0),
        space, B_ANY_BYTES_PER_ROW);
}

BBitmap::BBitmap(const BBitmap& source) = default;
BBitmap& BBitmap::operator=(const BBitmap& source) = default;

BBitmap::BBitmap(const BMessage* archive)
{
    fInitStatus = B_BAD_VALUE;
    if (archive == nullptr)
        return;
    BRect frame;
    int32 space = 0;
    if (archive->FindRect("_frame", &frame) != B_OK || archive->FindInt32("_cspace", &space) != B_OK)
        return;
    int32 flags = 0;
    if (archive->FindInt32("_bmflags", &flags) != B_OK) {
        bool acceptsViews = false;
        bool contiguous = false;
        archive->FindBool("_view_ok", &acceptsViews);
        archive->FindBool("_contiguous", &contiguous);
        flags = (acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0) | (contiguous ? B_BITMAP_IS_CONTIGUOUS : 0);
    }
    int32 rowBytes = B_ANY_BYTES_PER_ROW;
    archive->FindInt32("_rowbytes", &rowBytes);
    Init(frame, uint32(flags), color_space(space), rowBytes);
    if (fInitStatus != B_OK)
        return;
    const void* data = nullptr;
    ssize_t size = 0;
    if (archive->FindData("_data", B_RAW_TYPE, &data, &size) == B_OK && size == ssize_t(fBits.size()))
        std::memcpy(fBits.data(), data, fBits.size());
}

BBitmap::~BBitmap() = default;

void BBitmap::Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow)
{
    fBits.clear();
    fBounds = bounds;
    fFlags = flags;
    fColorSpace = space;
    fBytesPerRow = 0;
    fInitStatus = B_BAD_VALUE;
    if (!KnownSpace(space) || !std::isfinite(bounds.left) || !std::isfinite(bounds.right)
        || !std::isfinite(bounds.top) || !std::isfinite(bounds.bottom))
        return;
    const int32 width = RoundedWidth(bounds.left, bounds.right);
    const int32 height = RoundedWidth(bounds.top, bounds.bottom);
    if (width <= 0 || height <= 0)
        return;
    const int32 minimum = get_bytes_per_row(space, width);
    if (bytesPerRow < 0)
        bytesPerRow = minimum;
    if (bytesPerRow < minimum)
        return;
    const int64 length = int64(bytesPerRow) * height;
    if (length > kMaxBitmapBytes)
        return;
    fBytesPerRow = bytesPerRow;
    // A new bitmap starts white when asked for, otherwise all zero (CMAP8
    // index 0 is black, as on the platform).
    fBits.assign(size_t(length), 0);
    if (flags & B_BITMAP_CLEAR_TO_WHITE) {
        for (int32 y = 0; y < height; y++)
            for (int32 x = 0; x < width; x++)
                WritePixel(fBits.data() + size_t(y) * size_t(fBytesPerRow), x, space, make_color(255, 255, 255));
    }
    fInitStatus = B_OK;
}

void BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space space)
{
    if (!IsValid() || data == nullptr || length <= 0 || offset < 0 || offset >= BitsLength())
        return;
    if (space != fColorSpace) {
        ImportBits(data, length, get_bytes_per_row(space, RoundedWidth(fBounds.left, fBounds.right)), offset,
            space);
        return;
    }
    const int32 count = std::min(length, BitsLength() - offset);
    std::memcpy(fBits.data() + offset, data, size_t(count));
}

status_t BBitmap::ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset, color_space space)
{
    if (!IsValid())
        return B_NO_INIT;
    const int32 width = RoundedWidth(fBounds.left, fBounds.right);
    const int32 height = RoundedWidth(fBounds.top, fBounds.bottom);
    if (data == nullptr || !KnownSpace(space) || length < 0 || offset < 0)
        return B_BAD_VALUE;
    const int32 minimum = get_bytes_per_row(space, width);
    if (bytesPerRow < 0)
        bytesPerRow = minimum;
    if (bytesPerRow < minimum || bytesPerRow == 0)
        return B_BAD_VALUE;
    if (space == fColorSpace && bytesPerRow == fBytesPerRow) {
        const int32 count = std::min(length, BitsLength() - offset);
        if (count > 0)
            std::memcpy(fBits.data() + offset, data, size_t(count));
        return B_OK;
    }
    if (offset % fBytesPerRow != 0)
        return B_BAD_VALUE;
    const uint8* source = static_cast<const uint8*>(data);
    const int32 firstRow = offset / fBytesPerRow;
    const int32 rows = std::min(height - firstRow, length / bytesPerRow);
    for (int32 y = 0; y < rows; y++) {
        const uint8* in = source + size_t(y) * size_t(bytesPerRow);
        uint8* out = fBits.data() + size_t(firstRow + y) * size_t(fBytesPerRow);
        for (int32 x = 0; x < width; x++)
            WritePixel(out, x, fColorSpace, ReadPixel(in, x, space));
    }
    return B_OK;
}

status_t BBitmap::ImportBits(const BBitmap* source)
{
    if (source == nullptr || !source->IsValid())
        return B_BAD_VALUE;
    if (RoundedWidth(source->fBounds.left, source->fBounds.right) != RoundedWidth(fBounds.left, fBounds.right)
        || RoundedWidth(source->fBounds.top, source->fBounds.bottom) != RoundedWidth(fBounds.top, fBounds.bottom))
        return B_BAD_VALUE;
    return ImportBits(source->Bits(), source->BitsLength(), source->BytesPerRow(), 0, source->ColorSpace());
}

rgb_color BBitmap::ColorAt(int32 x, int32 y) const
{
    const int32 width = RoundedWidth(fBounds.left, fBounds.right);
    const int32 height = RoundedWidth(fBounds.top, fBounds.bottom);
    if (!IsValid() || x < 0 || y < 0 || x >= width || y >= height)
        return B_TRANSPARENT_COLOR;
    return ReadPixel(fBits.data() + size_t(y) * size_t(fBytesPerRow), x, fColorSpace);
}

void BBitmap::SetColorAt(int32 x, int32 y, const rgb_color& color)
{
    const int32 width = RoundedWidth(fBounds.left, fBounds.right);
    const int32 height = RoundedWidth(fBounds.top, fBounds.bottom);
    if (!IsValid() || x < 0 || y < 0 || x >= width || y >= height)
        return;
    WritePixel(fBits.data() + size_t(y) * size_t(fBytesPerRow), x, fColorSpace, color);
}

status_t BBitmap::Archive(BMessage* archive, bool deep) const
{
    (void)deep; // our bitmaps hold no child views
    if (archive == nullptr)
        return B_BAD_VALUE;
    if (!IsValid())
        return B_NO_INIT;
    status_t status = archive->AddString("class", "BBitmap");
    if (status == B_OK)
        status = archive->AddRect("_frame", fBounds);
    if (status == B_OK)
        status = archive->AddInt32("_cspace", int32(fColorSpace));
    if (status == B_OK)
        status = archive->AddInt32("_bmflags", int32(fFlags));
    if (status == B_OK)
        status = archive->AddInt32("_rowbytes", fBytesPerRow);
    if (status == B_OK)
        status = archive->AddData("_data", B_RAW_TYPE, fBits.data(), ssize_t(fBits.size()));
    return status;
}

BBitmap* read_bitmap_file(const char* path)
{
    if (path == nullptr)
        return nullptr;
    QImage image;
    if (!image.load(QString::fromLocal8Bit(path)) || image.isNull())
        return nullptr;
    if (int64(image.width()) * image.height() * 4 > kMaxBitmapBytes)
        return nullptr;
    image = image.convertToFormat(QImage::Format_ARGB32);
    auto* bitmap = new BBitmap(BRect(0, 0, float(image.width() - 1), float(image.height() - 1)), B_RGBA32);
    if (!bitmap->IsValid()) {
        delete bitmap;
        return nullptr;
    }
    // Format_ARGB32 is 0xAARRGGBB in host order: on x86 the bytes are B, G,
    // R, A, exactly B_RGBA32's layout.
    for (int32 y = 0; y < image.height(); y++)
        std::memcpy(static_cast<uint8*>(bitmap->Bits()) + size_t(y) * size_t(bitmap->BytesPerRow()),
            image.constScanLine(y), size_t(image.width()) * 4);
    return bitmap;
}

BBitmap* scale_bitmap(const BBitmap* source, int32 width, int32 height, color_space space, bool keepAspect)
{
    if (source == nullptr || !source->IsValid() || width <= 0 || height <= 0)
        return nullptr;
    const BRect bounds = source->Bounds();
    const int32 sourceWidth = RoundedWidth(bounds.left, bounds.right);
    const int32 sourceHeight = RoundedWidth(bounds.top, bounds.bottom);
    QImage image(sourceWidth, sourceHeight, QImage::Format_ARGB32);
    for (int32 y = 0; y < sourceHeight; y++) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32 x = 0; x < sourceWidth; x++) {
            const rgb_color c = source->ColorAt(x, y);
            line[x] = qRgba(c.red, c.green, c.blue, c.alpha);
        }
    }
    const QImage scaled = image.scaled(width, height, keepAspect ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio,
        Qt::SmoothTransformation);
    auto* result = new BBitmap(BRect(0, 0, float(width - 1), float(height - 1)), space);
    if (!result->IsValid()) {
        delete result;
        return nullptr;
    }
    for (int32 y = 0; y < height; y++)
        for (int32 x = 0; x < width; x++)
            result->SetColorAt(x, y, B_TRANSPARENT_COLOR);
    const int32 offsetX = (width - scaled.width()) / 2;
    const int32 offsetY = (height - scaled.height()) / 2;
    for (int32 y = 0; y < scaled.height(); y++) {
        const auto* line = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int32 x = 0; x < scaled.width(); x++) {
            const QRgb p = line[x];
            result->SetColorAt(x + offsetX, y + offsetY,
                make_color(uint8(qRed(p)), uint8(qGreen(p)), uint8(qBlue(p)), uint8(qAlpha(p))));
        }
    }
    return result;
}
