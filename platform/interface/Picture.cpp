#include <Picture.h>

#include <Bitmap.h>
#include <BitmapImage.h>
#include <PictureData.h>

#include <QPainter>

BPicture::BPicture()
    : fData(std::make_unique<PictureData>())
{
}

BPicture::BPicture(const BPicture& other)
    : fData(std::make_unique<PictureData>(*other.fData))
{
}

BPicture& BPicture::operator=(const BPicture& other)
{
    if (this != &other)
        *fData = *other.fData;
    return *this;
}

BPicture::~BPicture() = default;

BRect BPicture::Bounds() const
{
    if (IsEmpty())
        return BRect();
    const QRect r = fData->BoundingRect();
    return BRect(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()));
}

bool BPicture::IsEmpty() const
{
    return fData->IsEmpty();
}

BPicture* picture_from_bitmap(const BBitmap* bitmap)
{
    if (bitmap == nullptr || !bitmap->IsValid())
        return nullptr;
    const QImage image = bitmap_to_image(*bitmap);
    if (image.isNull())
        return nullptr;
    auto* picture = new BPicture;
    picture->Data().image = image;
    return picture;
}

QRect PictureData::BoundingRect() const
{
    return image.isNull() ? picture.boundingRect() : image.rect();
}

void PictureData::Draw(QPainter& painter, int x, int y) const
{
    if (image.isNull()) {
        painter.drawPicture(x, y, picture);
        return;
    }
    painter.save();
    const QPaintDevice* device = painter.device();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, device != nullptr && device->devicePixelRatioF() > 1.0);
    painter.drawImage(QPoint(x, y), image);
    painter.restore();
}
