// File icons: the file's own icon attribute first, then the icon theme's
// icon for its type, then a generic icon; never an empty square.
#include <Bitmap.h>
#include <FileIcon.h>
#include <Node.h>
#include <NodeInfo.h>

#include "TestSupport.h"

#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// A small icon theme of our own below the sandbox: "ondelle-test" has a
// red "text-plain" icon in both sizes, "ondelle-empty" has no icons at all.
class IconThemeFixture : public testing::Test {
protected:
    void SetUp() override
    {
        fOldPaths = QIcon::themeSearchPaths();
        fOldTheme = QIcon::themeName();
        const fs::path root = fDir.Path() / "icons";
        WriteTheme(root / "ondelle-test");
        WriteTheme(root / "ondelle-empty");
        for (int size : {16, 32}) {
            const fs::path folder = root / "ondelle-test" / (std::to_string(size) + "x" + std::to_string(size)) / "mimetypes";
            fs::create_directories(folder);
            QImage image(size, size, QImage::Format_ARGB32);
            image.fill(qRgba(255, 0, 0, 255));
            ASSERT_TRUE(image.save(QString::fromStdString((folder / "text-plain.png").string())));
        }
        QIcon::setThemeSearchPaths({QString::fromStdString(root.string())});
        QIcon::setThemeName(QStringLiteral("ondelle-test"));
    }

    void TearDown() override
    {
        QIcon::setThemeSearchPaths(fOldPaths);
        QIcon::setThemeName(fOldTheme);
    }

    static void WriteTheme(const fs::path& folder)
    {
        fs::create_directories(folder);
        WriteFileBytes(folder / "index.theme",
            "[Icon Theme]\nName=Test\nDirectories=16x16/mimetypes,32x32/mimetypes\n\n"
            "[16x16/mimetypes]\nSize=16\nType=Fixed\n\n[32x32/mimetypes]\nSize=32\nType=Fixed\n");
    }

    TempDir fDir;
    QStringList fOldPaths;
    QString fOldTheme;
};

std::string Indices(const BBitmap& bitmap)
{
    return std::string(static_cast<const char*>(bitmap.Bits()), size_t(bitmap.BitsLength()));
}

std::string Generic(generic_icon_kind kind, int32 size)
{
    std::string pixels(size_t(size * size), '\0');
    EXPECT_EQ(get_generic_icon(kind, reinterpret_cast<uint8*>(pixels.data()), size), B_OK);
    return pixels;
}

} // namespace

using FileIconTest = IconThemeFixture;

TEST_F(FileIconTest, OwnIconAttributeComesFirst)
{
    const fs::path path = fDir / "notes.txt";
    WriteFileBytes(path, "text");
    uint8 mini[256];
    for (int32 i = 0; i < 256; i++)
        mini[i] = uint8(i % 7 == 0 ? B_TRANSPARENT_MAGIC_CMAP8 : i % 60);
    BNode node(path.c_str());
    BNodeInfo info(&node);
    ASSERT_EQ(info.SetIcon(mini, 16), B_OK);

    BBitmap indexed(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(get_file_icon(path.c_str(), B_MINI_ICON, &indexed), B_OK);
    EXPECT_EQ(std::memcmp(indexed.Bits(), mini, 256), 0) << "the theme's text icon must not win";

    BBitmap rgba(BRect(0, 0, 15, 15), B_RGBA32);
    ASSERT_EQ(get_file_icon(node, B_MINI_ICON, &rgba), B_OK);
    EXPECT_EQ(rgba.ColorAt(1, 0), system_palette()[mini[1]]);
    EXPECT_EQ(rgba.ColorAt(0, 0).alpha, 0) << "index 255 is transparent";
}

TEST_F(FileIconTest, ThemeIconForTheTypeWhenTheFileHasNone)
{
    const fs::path path = fDir / "notes.txt";
    WriteFileBytes(path, "plain words");
    for (icon_size size : {B_MINI_ICON, B_LARGE_ICON}) {
        const float last = float(size) - 1;
        BBitmap icon(BRect(0, 0, last, last), B_RGBA32);
        ASSERT_EQ(get_file_icon(path.c_str(), size, &icon), B_OK);
        EXPECT_EQ(icon.ColorAt(size / 2, size / 2), make_color(255, 0, 0)) << "size " << size;
    }

    // The stored type counts even when the name says nothing.
    const fs::path typed = fDir / "data";
    WriteFileBytes(typed, std::string("\x01\x02\x03", 3));
    BNode node(typed.c_str());
    BNodeInfo(&node).SetType("text/plain");
    BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(get_file_icon(node, B_MINI_ICON, &icon), B_OK);
    EXPECT_EQ(icon.ColorAt(8, 8), system_palette()[index_for_color(255, 0, 0)]);
}

TEST_F(FileIconTest, GenericIconWhenTheThemeHasNone)
{
    QIcon::setThemeName(QStringLiteral("ondelle-empty"));
    WriteFileBytes(fDir / "notes.txt", "plain words");
    fs::create_directory(fDir / "folder");
    // An icon attribute that is transparent throughout counts as none.
    std::string blank(1024, char(B_TRANSPARENT_MAGIC_CMAP8));
    BNode node((fDir / "notes.txt").c_str());
    ASSERT_EQ(BNodeInfo(&node).SetIcon(reinterpret_cast<const uint8*>(blank.data()), 32), B_OK);

    BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(get_file_icon((fDir / "notes.txt").c_str(), B_LARGE_ICON, &icon), B_OK);
    EXPECT_EQ(Indices(icon), Generic(B_GENERIC_DOCUMENT_ICON, 32));
    ASSERT_EQ(get_file_icon((fDir / "folder").c_str(), B_LARGE_ICON, &icon), B_OK);
    EXPECT_EQ(Indices(icon), Generic(B_GENERIC_FOLDER_ICON, 32));

    // A link whose target is gone still shows an icon.
    fs::create_symlink("gone", fDir / "broken");
    std::memset(icon.Bits(), 0, 1024);
    const status_t status = get_file_icon((fDir / "broken").c_str(), B_LARGE_ICON, &icon);
    if (status == B_OK) {
        EXPECT_NE(Indices(icon).find_first_not_of('\xff'), std::string::npos);
    }
}

TEST_F(FileIconTest, OtherThreadsGetTheGenericIcon)
{
    // Qt draws theme icons on the GUI thread only; elsewhere the icon still
    // is never empty.
    WriteFileBytes(fDir / "notes.txt", "plain words");
    BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
    status_t status = B_ERROR;
    std::thread worker([&] { status = get_file_icon((fDir / "notes.txt").c_str(), B_MINI_ICON, &icon); });
    worker.join();
    ASSERT_EQ(status, B_OK);
    EXPECT_EQ(Indices(icon), Generic(B_GENERIC_DOCUMENT_ICON, 16));
}

TEST_F(FileIconTest, BadRequestsLeaveTheBitmapAlone)
{
    BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
    std::memset(icon.Bits(), 42, 256);
    EXPECT_EQ(get_file_icon((fDir / "missing").c_str(), B_MINI_ICON, &icon), B_ENTRY_NOT_FOUND);
    WriteFileBytes(fDir / "notes.txt", "x");
    EXPECT_EQ(get_file_icon((fDir / "notes.txt").c_str(), B_LARGE_ICON, &icon), B_BAD_VALUE)
        << "a 16 x 16 bitmap cannot take a 32 x 32 icon";
    EXPECT_EQ(get_file_icon((fDir / "notes.txt").c_str(), icon_size(24), &icon), B_BAD_VALUE);
    EXPECT_EQ(get_file_icon((fDir / "notes.txt").c_str(), B_MINI_ICON, nullptr), B_BAD_VALUE);
    EXPECT_EQ(get_file_icon(static_cast<const char*>(nullptr), B_MINI_ICON, &icon), B_BAD_VALUE);
    EXPECT_EQ(Indices(icon), std::string(256, char(42)));
}
