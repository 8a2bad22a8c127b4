// Bitmaps as PNG: sizes, colours and the transparent palette index survive.
#include <Bitmap.h>
#include <BitmapPng.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(BitmapPng, PaletteIconKeepsItsSizeColoursAndTransparency)
{
    for (int32 size : {16, 32}) {
        // Index 255 is the transparent one; index 0 is black.
        std::vector<uint8> indices(size_t(size * size), 255);
        indices[0] = 0;
        BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
        ASSERT_EQ(icon.ImportBits(indices.data(), int32(indices.size()), size, 0, B_CMAP8), B_OK);

        std::string png;
        ASSERT_EQ(encode_bitmap_png(&icon, &png), B_OK);
        ASSERT_GT(png.size(), 8u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        int32 width = 0;
        int32 height = 0;
        ASSERT_TRUE(decode_image_size(png, &width, &height));
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);

        TempDir dir;
        WriteFileBytes(dir / "icon.png", png);
        std::unique_ptr<BBitmap> back(read_bitmap_file((dir / "icon.png").c_str()));
        ASSERT_NE(back, nullptr);
        const rgb_color black = back->ColorAt(0, 0);
        EXPECT_EQ(black.alpha, 255);
        EXPECT_EQ(black.red, 0);
        EXPECT_EQ(back->ColorAt(size - 1, size - 1).alpha, 0);
    }
}

TEST(BitmapPng, RefusesWhatIsNoPicture)
{
    std::string png;
    EXPECT_EQ(encode_bitmap_png(nullptr, &png), B_BAD_VALUE);
    EXPECT_FALSE(decode_image_size("not an image", nullptr, nullptr));
}
