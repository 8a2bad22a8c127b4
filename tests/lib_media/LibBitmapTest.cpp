// LibBitmap from raw 8-bit pixels, from archives and from file icons, and
// the nearest system colour.
#include <Entry.h>
#include <LibBitmap.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(LibBitmapTest, RawPixelsAreOneBytePerPixelWithPaddedRows)
{
    // Icon sizes: 256 and 1024 bytes.
    std::vector<uint8> mini(256);
    for (size_t i = 0; i < mini.size(); i++)
        mini[i] = uint8(i);
    LibBitmap small(BRect(0, 0, 15, 15), mini.data(), B_CMAP8);
    ASSERT_TRUE(small.IsValid());
    ASSERT_EQ(small.BitsLength(), 256);
    EXPECT_EQ(std::memcmp(small.Bits(), mini.data(), 256), 0);

    std::vector<uint8> large(1024, 42);
    LibBitmap big(BRect(0, 0, 31, 31), large.data(), B_CMAP8);
    ASSERT_EQ(big.BitsLength(), 1024);
    EXPECT_EQ(std::memcmp(big.Bits(), large.data(), 1024), 0);

    // A 13-pixel row takes 16 bytes: the second row starts at byte 16.
    std::vector<uint8> odd(16 * 2, 0);
    odd[12] = 35;       // last pixel of row 0
    odd[16] = 42;       // first pixel of row 1
    LibBitmap narrow(BRect(0, 0, 12, 1), odd.data(), B_CMAP8);
    EXPECT_EQ(narrow.ColorAt(12, 0), system_palette()[35]);
    EXPECT_EQ(narrow.ColorAt(0, 1), system_palette()[42]);

    // Another colour space converts the palette indices.
    LibBitmap rgba(BRect(0, 0, 15, 15), mini.data(), B_RGBA32);
    EXPECT_EQ(rgba.ColorAt(5, 0), system_palette()[5]);
    EXPECT_EQ(rgba.ColorAt(15, 15).alpha, 0) << "index 255 stays transparent";

    LibBitmap none(BRect(0, 0, 3, 3), nullptr, B_CMAP8);
    EXPECT_TRUE(none.IsValid());
}

TEST(LibBitmapTest, ArchivesOfTheConfigurationRebuild)
{
    std::vector<uint8> mini(256, 7);
    LibBitmap source(BRect(0, 0, 15, 15), mini.data(), B_CMAP8);
    BMessage archive;
    ASSERT_EQ(source.Archive(&archive), B_OK);
    archive.ReplaceString("class", "LibBitmap");
    LibBitmap copy(&archive);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.Bounds(), BRect(0, 0, 15, 15));
    EXPECT_EQ(std::memcmp(copy.Bits(), mini.data(), 256), 0);
}

TEST(LibBitmapTest, SetToTakesTheFileIconAndKeepsPixelsOnFailure)
{
    TempDir dir;
    const auto path = dir / "app";
    WriteFileBytes(path, "x");
    std::vector<uint8> icon(1024);
    for (size_t i = 0; i < icon.size(); i++)
        icon[i] = uint8(i % 200);
    BNode node(path.c_str());
    ASSERT_EQ(BNodeInfo(&node).SetIcon(icon.data(), 32), B_OK);

    LibBitmap bitmap(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(bitmap.SetTo(path.c_str(), B_LARGE_ICON), B_OK);
    EXPECT_EQ(std::memcmp(bitmap.Bits(), icon.data(), 1024), 0);

    std::memset(bitmap.Bits(), 9, 1024);
    const BEntry entry(path.c_str());
    ASSERT_EQ(bitmap.SetTo(entry, B_LARGE_ICON), B_OK);
    EXPECT_EQ(std::memcmp(bitmap.Bits(), icon.data(), 1024), 0);

    std::memset(bitmap.Bits(), 9, 1024);
    ASSERT_EQ(bitmap.SetTo(node, B_LARGE_ICON), B_OK);
    EXPECT_EQ(std::memcmp(bitmap.Bits(), icon.data(), 1024), 0);

    // A file without an icon still gets one: never an empty square.
    WriteFileBytes(dir / "plain", "y");
    std::memset(bitmap.Bits(), B_TRANSPARENT_MAGIC_CMAP8, 1024);
    ASSERT_EQ(bitmap.SetTo((dir / "plain").c_str(), B_LARGE_ICON), B_OK);
    const std::string pixels(static_cast<const char*>(bitmap.Bits()), 1024);
    EXPECT_NE(pixels.find_first_not_of('\xff'), std::string::npos);

    // Missing file: the previous pixels stay.
    std::memset(bitmap.Bits(), 9, 1024);
    EXPECT_NE(bitmap.SetTo((dir / "missing").c_str(), B_LARGE_ICON), B_OK);
    EXPECT_EQ(static_cast<const uint8*>(bitmap.Bits())[500], 9);
    EXPECT_EQ(bitmap.SetTo(path.c_str(), B_MINI_ICON), B_BAD_VALUE) << "a 32 x 32 bitmap takes no 16 x 16 icon";
}

TEST(LibBitmapTest, NearestSystemColourIsAPaletteEntry)
{
    EXPECT_EQ(lib_nearest_system_color(make_color(255, 0, 0)), make_color(255, 0, 0));
    EXPECT_EQ(lib_nearest_system_color(0, 0, 0, 255), make_color(0, 0, 0));
    // Near-white lands on the palette's lightest grey as the screen's
    // 15-bit lookup does.
    EXPECT_EQ(lib_nearest_system_color(254, 254, 254, 255), system_palette()[index_for_color(254, 254, 254)]);
    // The transparent colour picks entry 255.
    EXPECT_EQ(lib_nearest_system_color(B_TRANSPARENT_COLOR), system_palette()[B_TRANSPARENT_MAGIC_CMAP8]);
    // Every result is one of the 256 entries.
    for (int32 v = 0; v < 256; v += 17) {
        const rgb_color c = lib_nearest_system_color(uint8(v), uint8(255 - v), uint8(v / 2), 255);
        bool found = false;
        for (int32 i = 0; i < 256 && !found; i++)
            found = system_palette()[i] == c;
        EXPECT_TRUE(found) << v;
    }
}
