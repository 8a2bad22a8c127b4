// Pictures for picture buttons from bitmaps and from raw bits.
#include <Bitmap.h>
#include <LibBitmapToPicture.h>
#include <Picture.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(LibBitmapToPictureTest, PicturesCoverTheBitmap)
{
    BBitmap bitmap(BRect(0, 0, 31, 31), B_CMAP8);
    std::unique_ptr<BPicture> picture(LibBitmapToPicture(&bitmap));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Bounds(), BRect(0, 0, 31, 31));

    // A 13 x 5 button face from raw 8-bit bits with rows of 16 bytes.
    std::vector<uint8> bits(16 * 5, 20);
    std::unique_ptr<BPicture> face(LibBitmapToPicture(BRect(0, 0, 12, 4), bits.data(), B_CMAP8));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->Bounds(), BRect(0, 0, 12, 4));

    std::vector<uint8> rgba(4 * 4 * 4, 0xff);
    std::unique_ptr<BPicture> colour(LibBitmapToPicture(BRect(0, 0, 3, 3), rgba.data(), B_RGBA32));
    ASSERT_NE(colour, nullptr);
    EXPECT_FALSE(colour->IsEmpty());
}

TEST(LibBitmapToPictureTest, NoPictureWithoutABitmap)
{
    std::vector<uint8> bits(256, 0);
    EXPECT_EQ(LibBitmapToPicture(nullptr), nullptr);
    EXPECT_EQ(LibBitmapToPicture(BRect(0, 0, -1, 15), bits.data(), B_CMAP8), nullptr);
    EXPECT_EQ(LibBitmapToPicture(BRect(0, 0, 15, 15), bits.data(), color_space(0x4000)), nullptr);
    EXPECT_EQ(LibBitmapToPicture(BRect(0, 0, 15, 15), nullptr, B_CMAP8), nullptr);
}
