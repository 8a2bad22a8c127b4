// Every colour space the platform's bitmaps use: the byte layout of a pixel,
// the archive round trip, and the round trip through a Qt image.
#include <Bitmap.h>
#include <BitmapImage.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const color_space kSpaces[] = {B_GRAY1, B_GRAY8, B_RGB24, B_CMAP8, B_RGB16, B_RGB32, B_RGB15, B_RGB24_BIG,
    B_RGB16_BIG, B_RGB32_BIG, B_RGB15_BIG, B_RGBA32, B_RGBA15, B_RGBA32_BIG, B_RGBA15_BIG};

bool HasAlpha(color_space space)
{
    return space == B_RGBA32 || space == B_RGBA32_BIG || space == B_RGBA15 || space == B_RGBA15_BIG
        || space == B_CMAP8;
}

// A 7 x 3 bitmap (odd width, so rows carry padding) with a different colour
// in every pixel, transparent ones included where the space has alpha.
BBitmap Pattern(color_space space)
{
    BBitmap bitmap(BRect(0, 0, 6, 2), space);
    for (int32 y = 0; y < 3; y++) {
        for (int32 x = 0; x < 7; x++) {
            rgb_color c = make_color(uint8(x * 40), uint8(y * 100), uint8(255 - x * 30));
            if (HasAlpha(space) && x == 3)
                c = B_TRANSPARENT_COLOR;
            if (space == B_CMAP8)
                c = system_palette()[index_for_color(c)];
            bitmap.SetColorAt(x, y, c);
        }
    }
    return bitmap;
}

std::string Bytes(const BBitmap& bitmap)
{
    return std::string(static_cast<const char*>(bitmap.Bits()), size_t(bitmap.BitsLength()));
}

// Bytes of the one pixel a 1 x 1 bitmap of the space holds for a colour.
std::vector<uint8> PixelBytes(color_space space, const rgb_color& color)
{
    BBitmap bitmap(BRect(0, 0, 0, 0), space);
    bitmap.SetColorAt(0, 0, color);
    const auto* bits = static_cast<const uint8*>(bitmap.Bits());
    const int32 size = std::max<int32>(1, get_bits_per_pixel(space) / 8);
    return std::vector<uint8>(bits, bits + size);
}

} // namespace

TEST(ColorSpaceTest, PixelBytesFollowThePlatformLayout)
{
    const rgb_color c = make_color(0x11, 0x22, 0x33, 0x44);
    using Bytes = std::vector<uint8>;
    EXPECT_EQ(PixelBytes(B_RGB24, c), (Bytes{0x33, 0x22, 0x11}));
    EXPECT_EQ(PixelBytes(B_RGB24_BIG, c), (Bytes{0x11, 0x22, 0x33}));
    EXPECT_EQ(PixelBytes(B_RGBA32, c), (Bytes{0x33, 0x22, 0x11, 0x44}));
    EXPECT_EQ(PixelBytes(B_RGBA32_BIG, c), (Bytes{0x44, 0x11, 0x22, 0x33}));
    const Bytes rgb32 = PixelBytes(B_RGB32, c);
    EXPECT_EQ(Bytes(rgb32.begin(), rgb32.begin() + 3), (Bytes{0x33, 0x22, 0x11}));
    const Bytes rgb32big = PixelBytes(B_RGB32_BIG, c);
    EXPECT_EQ(Bytes(rgb32big.begin() + 1, rgb32big.end()), (Bytes{0x11, 0x22, 0x33}));
    // 5-6-5: red 2, green 8, blue 6 is 0x1106.
    EXPECT_EQ(PixelBytes(B_RGB16, c), (Bytes{0x06, 0x11}));
    EXPECT_EQ(PixelBytes(B_RGB16_BIG, c), (Bytes{0x11, 0x06}));
    // 1-5-5-5: red 2, green 4, blue 6 is 0x0886; alpha 0x44 is below half,
    // so the alpha bit stays clear.
    EXPECT_EQ(PixelBytes(B_RGBA15, c), (Bytes{0x86, 0x08}));
    EXPECT_EQ(PixelBytes(B_RGBA15_BIG, c), (Bytes{0x08, 0x86}));
    EXPECT_EQ(PixelBytes(B_RGB15, c)[0], 0x86);
    EXPECT_EQ(PixelBytes(B_RGB15, c)[1] & 0x7f, 0x08);
    EXPECT_EQ(PixelBytes(B_RGB15_BIG, c)[1], 0x86);
    EXPECT_EQ(PixelBytes(B_GRAY8, c), (Bytes{30})) << "luma of the colour";
    EXPECT_EQ(PixelBytes(B_GRAY1, c)[0] & 0x80, 0x80) << "a dark colour sets the bit (black)";
    EXPECT_EQ(PixelBytes(B_GRAY1, make_color(250, 250, 250))[0] & 0x80, 0);
    EXPECT_EQ(PixelBytes(B_CMAP8, B_TRANSPARENT_COLOR), (Bytes{B_TRANSPARENT_MAGIC_CMAP8}));
}

TEST(ColorSpaceTest, EverySpaceSurvivesTheArchive)
{
    for (color_space space : kSpaces) {
        SCOPED_TRACE(testing::Message() << "space 0x" << std::hex << int32(space));
        const BBitmap source = Pattern(space);
        ASSERT_TRUE(source.IsValid());
        BMessage archive;
        ASSERT_EQ(source.Archive(&archive), B_OK);
        std::string flat(size_t(archive.FlattenedSize()), '\0');
        ASSERT_EQ(archive.Flatten(flat.data(), ssize_t(flat.size())), B_OK);
        BMessage restored;
        ASSERT_EQ(restored.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);

        const BBitmap copy(&restored);
        ASSERT_TRUE(copy.IsValid());
        EXPECT_EQ(copy.ColorSpace(), space);
        EXPECT_EQ(copy.Bounds(), source.Bounds());
        EXPECT_EQ(copy.BytesPerRow(), source.BytesPerRow());
        EXPECT_EQ(Bytes(copy), Bytes(source));
    }
}

TEST(ColorSpaceTest, EverySpaceSurvivesAQtImage)
{
    for (color_space space : kSpaces) {
        SCOPED_TRACE(testing::Message() << "space 0x" << std::hex << int32(space));
        const BBitmap source = Pattern(space);
        const QImage image = bitmap_to_image(source);
        ASSERT_EQ(image.size(), QSize(7, 3));
        for (int32 y = 0; y < 3; y++) {
            for (int32 x = 0; x < 7; x++) {
                const rgb_color c = source.ColorAt(x, y);
                const QRgb p = image.pixel(x, y);
                EXPECT_EQ(qAlpha(p), c.alpha) << x << "," << y;
                if (c.alpha != 0) {
                    EXPECT_EQ(p & 0xffffff, QRgb(c.red << 16 | c.green << 8 | c.blue)) << x << "," << y;
                }
            }
        }
        BBitmap back(source.Bounds(), space);
        ASSERT_EQ(image_to_bitmap(image, &back), B_OK);
        for (int32 y = 0; y < 3; y++) {
            for (int32 x = 0; x < 7; x++)
                EXPECT_EQ(back.ColorAt(x, y), source.ColorAt(x, y)) << x << "," << y;
        }
    }
}

TEST(ColorSpaceTest, ImagesOfAnotherSizeAreCutNotScaled)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(qRgba(255, 0, 0, 255));
    BBitmap small(BRect(0, 0, 1, 1), B_RGBA32);
    ASSERT_EQ(image_to_bitmap(image, &small), B_OK);
    EXPECT_EQ(small.ColorAt(1, 1), make_color(255, 0, 0));

    BBitmap large(BRect(0, 0, 7, 7), B_RGBA32);
    ASSERT_EQ(image_to_bitmap(image, &large), B_OK);
    EXPECT_EQ(large.ColorAt(3, 3), make_color(255, 0, 0));
    EXPECT_EQ(large.ColorAt(4, 4), make_color(0, 0, 0, 0)) << "outside the image stays as it was";

    EXPECT_EQ(image_to_bitmap(QImage(), &large), B_BAD_VALUE);
    EXPECT_EQ(image_to_bitmap(image, nullptr), B_BAD_VALUE);
    EXPECT_TRUE(bitmap_to_image(BBitmap(BRect(0, 0, -1, -1), B_RGB32)).isNull());
}
