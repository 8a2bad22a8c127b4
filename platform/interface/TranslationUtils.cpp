#include <TranslationUtils.h>

#include "BitmapImage.h"

#include <Bitmap.h>

#include <QImageReader>

#include <memory>

BBitmap* BTranslationUtils::GetBitmap(const char* path)
{
    if (path == nullptr)
        return nullptr;
    QImageReader reader(QString::fromUtf8(path));
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return nullptr;
    auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, image.width() - 1, image.height() - 1), B_RGBA32);
    if (image_to_bitmap(image, bitmap.get()) != B_OK)
        return nullptr;
    return bitmap.release();
}
