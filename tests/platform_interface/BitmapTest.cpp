#include <Bitmap.h>
#include <Message.h>
#include <TypeConstants.h>

#include "TestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>

using ondelle::test::TempDir;

TEST(BitmapTest, RowBytesAndLengthFollowThePlatformLayout)
{
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_TRUE(mini.IsValid());
    EXPECT_EQ(mini.BytesPerRow(), 16);
    EXPECT_EQ(mini.BitsLength(), 256);

    BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
    EXPECT_EQ(large.BitsLength(), 1024);

    // Odd widths are padded to four bytes per row.
    BBitmap odd(BRect(0, 0, 4, 1), B_CMAP8);
    EXPECT_EQ(odd.BytesPerRow(), 8);
    BBitmap rgb24(BRect(0, 0, 4, 0), B_RGB24);
    EXPECT_EQ(rgb24.BytesPerRow(), 16);
    BBitmap gray1(BRect(0, 0, 32, 0), B_GRAY1);
    EXPECT_EQ(gray1.BytesPerRow(), 8);

    EXPECT_EQ(get_bytes_per_row(B_NO_COLOR_SPACE, 10), 0);
    EXPECT_FALSE(BBitmap(BRect(0, 0, -1, 10), B_RGB32).IsValid());
    EXPECT_FALSE(BBitmap(BRect(0, 0, 10, 10), color_space(0x4444)).IsValid());
    EXPECT_FALSE(BBitmap(BRect(0, 0, 10, 10), 0, B_RGB32, 8).IsValid()) << "row bytes below the minimum";
}

TEST(BitmapTest, ArchiveRoundTripKeepsFieldsAndPixels)
{
    BBitmap source(BRect(0, 0, 15, 15), B_CMAP8);
    auto* bits = static_cast<uint8*>(source.Bits());
    for (int32 i = 0; i < source.BitsLength(); i++)
        bits[i] = uint8(i * 7);

    BMessage archive;
    ASSERT_EQ(source.Archive(&archive), B_OK);
    const char* className = nullptr;
    ASSERT_EQ(archive.FindString("class", &className), B_OK);
    EXPECT_STREQ(className, "BBitmap");
    int32 space = 0;
    EXPECT_EQ(archive.FindInt32("_cspace", &space), B_OK);
    EXPECT_EQ(space, int32(B_CMAP8));

    // The archive survives flattening, as it does inside a configuration.
    const ssize_t size = archive.FlattenedSize();
    std::string flat(size_t(size), '\0');
    ASSERT_EQ(archive.Flatten(flat.data(), size), B_OK);
    BMessage restored;
    ASSERT_EQ(restored.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);

    BBitmap copy(&restored);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.Bounds(), source.Bounds());
    ASSERT_EQ(copy.BitsLength(), source.BitsLength());
    EXPECT_EQ(std::memcmp(copy.Bits(), source.Bits(), size_t(source.BitsLength())), 0);
}

TEST(BitmapTest, DamagedArchivesGiveInvalidBitmaps)
{
    BMessage empty;
    EXPECT_FALSE(BBitmap(&empty).IsValid());
    EXPECT_FALSE(BBitmap(static_cast<const BMessage*>(nullptr)).IsValid());

    BMessage huge;
    huge.AddRect("_frame", BRect(0, 0, 1e9f, 1e9f));
    huge.AddInt32("_cspace", B_RGB32);
    EXPECT_FALSE(BBitmap(&huge).IsValid()) << "a huge frame must not be allocated";

    // Pixel data of the wrong size is ignored; the bitmap itself is fine.
    BMessage shortData;
    shortData.AddRect("_frame", BRect(0, 0, 3, 3));
    shortData.AddInt32("_cspace", B_GRAY8);
    shortData.AddData("_data", B_RAW_TYPE, "abc", 3);
    BBitmap bitmap(&shortData);
    ASSERT_TRUE(bitmap.IsValid());
    EXPECT_EQ(bitmap.ColorAt(0, 0), make_color(0, 0, 0));
}

TEST(BitmapTest, ArchivedBitmapFromThePlatformReads)
{
    const auto path = ondelle::test::SamplesDir() / "MeV--300_Begin";
    const std::string bytes = ondelle::test::ReadFileBytes(path);
    if (bytes.empty())
        GTEST_SKIP() << "sample " << path << " not available";
    BMessage archive;
    ASSERT_EQ(archive.Unflatten(bytes.data(), ssize_t(bytes.size())), B_OK);
    BBitmap bitmap(&archive);
    ASSERT_TRUE(bitmap.IsValid());
    int32 rowBytes = 0;
    ASSERT_EQ(archive.FindInt32("_rowbytes", &rowBytes), B_OK);
    EXPECT_EQ(bitmap.BytesPerRow(), rowBytes);
    const void* data = nullptr;
    ssize_t size = 0;
    ASSERT_EQ(archive.FindData("_data", B_RAW_TYPE, &data, &size), B_OK);
    ASSERT_EQ(size, bitmap.BitsLength());
    EXPECT_EQ(std::memcmp(data, bitmap.Bits(), size_t(size)), 0);
}

TEST(BitmapTest, ColourSpacesConvertThroughThePalette)
{
    BBitmap rgba(BRect(0, 0, 1, 0), B_RGBA32);
    rgba.SetColorAt(0, 0, make_color(255, 0, 0));
    rgba.SetColorAt(1, 0, make_color(1, 2, 3, 0));
    const auto* raw = static_cast<const uint8*>(rgba.Bits());
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[2], 255) << "B_RGBA32 keeps bytes in B, G, R, A order";

    BBitmap indexed(BRect(0, 0, 1, 0), B_CMAP8);
    ASSERT_EQ(indexed.ImportBits(&rgba), B_OK);
    const auto* index = static_cast<const uint8*>(indexed.Bits());
    EXPECT_EQ(system_palette()[index[0]], make_color(255, 0, 0)) << "pure red is in the palette";
    EXPECT_EQ(index[1], B_TRANSPARENT_MAGIC_CMAP8) << "transparent pixels map to index 255";

    EXPECT_EQ(index_for_color(B_TRANSPARENT_COLOR), B_TRANSPARENT_MAGIC_CMAP8);
    EXPECT_EQ(index_for_color(0, 0, 0), 0);
    // The lookup works on 15-bit colours (each component cut to its top
    // five bits), so white is looked up as (248, 248, 248): grey index 31.
    EXPECT_EQ(index_for_color(255, 255, 255), 31);
    EXPECT_EQ(index_for_color(0, 0, 255), index_for_color(7, 7, 255)) << "low bits do not matter";
    EXPECT_EQ(system_palette()[19], system_palette()[136]);
}

TEST(BitmapTest, ImageFilesReadAndScale)
{
    TempDir dir;
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 255, 255));
    const std::string path = (dir / "picture.png").string();
    ASSERT_TRUE(image.save(QString::fromStdString(path)));

    BBitmap* bitmap = read_bitmap_file(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 39, 19));
    EXPECT_EQ(bitmap->ColorAt(5, 5), make_color(0, 0, 255));

    BBitmap* scaled = scale_bitmap(bitmap, 150, 200, B_RGB32, false);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->Bounds(), BRect(0, 0, 149, 199));
    EXPECT_EQ(scaled->ColorAt(75, 100), make_color(0, 0, 255));
    delete scaled;
    delete bitmap;

    EXPECT_EQ(read_bitmap_file((dir / "missing.png").c_str()), nullptr);
    ondelle::test::WriteFileBytes(dir / "garbage.png", "not an image");
    EXPECT_EQ(read_bitmap_file((dir / "garbage.png").c_str()), nullptr);
}
