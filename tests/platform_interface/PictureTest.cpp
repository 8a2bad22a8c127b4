// Pictures made from bitmaps replay the bitmap's pixels, leaving its
// transparent pixels undrawn.
#include <Bitmap.h>
#include <Picture.h>
#include <PictureData.h>

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The picture played onto a blue canvas of the given size.
QImage Play(const BPicture& picture, int size)
{
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(qRgb(0, 0, 255));
    QPainter painter(&canvas);
    picture.Data().Draw(painter, 0, 0);
    painter.end();
    return canvas;
}

} // namespace

TEST(PictureTest, BitmapPictureDrawsItsPixelsAndKeepsTransparency)
{
    BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
    auto* bits = static_cast<uint8*>(icon.Bits());
    for (int32 i = 0; i < 256; i++)
        bits[i] = (i % 16 < 8) ? 42 : B_TRANSPARENT_MAGIC_CMAP8; // left half a red, right half clear

    std::unique_ptr<BPicture> picture(picture_from_bitmap(&icon));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->IsEmpty());
    EXPECT_EQ(picture->Bounds(), BRect(0, 0, 15, 15));

    const QImage played = Play(*picture, 20);
    const rgb_color red = system_palette()[42];
    EXPECT_EQ(played.pixel(3, 3), qRgb(red.red, red.green, red.blue));
    EXPECT_EQ(played.pixel(12, 3), qRgb(0, 0, 255)) << "index 255 leaves the background";
    EXPECT_EQ(played.pixel(18, 18), qRgb(0, 0, 255)) << "nothing drawn beyond the bitmap";

    // Copies replay the same drawing.
    const BPicture copy(*picture);
    EXPECT_EQ(Play(copy, 20), played);
    BPicture assigned;
    assigned = *picture;
    EXPECT_EQ(Play(assigned, 20), played);
}

TEST(PictureTest, EmptyAndInvalidPictures)
{
    const BPicture empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.Bounds().IsValid());
    EXPECT_EQ(picture_from_bitmap(nullptr), nullptr);
    const BBitmap invalid(BRect(0, 0, -5, 3), B_CMAP8);
    EXPECT_EQ(picture_from_bitmap(&invalid), nullptr);
}
