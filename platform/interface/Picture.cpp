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
    const QRect r = fData->picture.boundingRect();
    return BRect(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()));
}

bool BPicture::IsEmpty() const
{
    return fData->picture.isNull();
}

BPicture* picture_from_bitmap(const BBitmap* bitmap)
{
    if (bitmap == nullptr || !bitmap->IsValid())
        return nullptr;
    const QImage image = bitmap_to_image(*bitmap);
    if (image.isNull())
        return nullptr;
    auto* picture = new BPicture;
    QPainter painter(&picture->Data().picture);
    painter.drawImage(QPoint(0, 0), image);
    painter.end();
    return picture;
}
