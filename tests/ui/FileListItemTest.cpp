// File list entries: leaf or full path, truncation to the list's width,
// the message form (round trip, missing and damaged fields), copies; and
// the data entry of the help window's list.
#include "../platform_interface/InterfaceTestSupport.h"

#include <FileListItem.h>
#include <MetaStringItem.h>

#include <TestSupport.h>

#include <ListView.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

bool SameIcon(const FileListItem& a, const FileListItem& b)
{
    return a.Icon().BitsLength() == b.Icon().BitsLength()
        && std::memcmp(a.Icon().Bits(), b.Icon().Bits(), size_t(a.Icon().BitsLength())) == 0;
}

bool Blank(const LibBitmap& icon)
{
    const auto* bits = static_cast<const uint8*>(icon.Bits());
    for (int32 i = 0; i < icon.BitsLength(); i++) {
        if (bits[i] != 0)
            return false;
    }
    return true;
}

} // namespace

TEST(FileListItemTest, LeafOrFullPath)
{
    FileListItem item("/boot/home/Desktop/readme", true, false);
    EXPECT_STREQ(item.DisplayText(), "readme");
    EXPECT_FLOAT_EQ(item.Height(), 18);
    item.SetShowFullPath(true);
    EXPECT_STREQ(item.DisplayText(), "/boot/home/Desktop/readme");
    FileListItem empty(false, false);
    EXPECT_STREQ(empty.DisplayText(), "");
}

TEST(FileListItemTest, TheMessageFormRoundTrips)
{
    TempDir dir;
    const std::string path = (dir / "notes.txt").string();
    WriteFileBytes(path, std::string(1000, 'n'));
    FileListItem original(path.c_str(), true, false);
    original.SetType(FileListItem::FileType(0x1234));
    ASSERT_FALSE(Blank(original.Icon()));

    BMessage message;
    original.Write(message);
    EXPECT_STREQ(message.GetString("file_name", ""), path.c_str());
    EXPECT_EQ(message.GetInt8("file_type", 0), 0x34);
    EXPECT_GE(message.GetInt32("file_size", 0), 1000);
    EXPECT_GT(message.GetInt64("file_modified", 0), 0);
    EXPECT_TRUE(message.HasInt64("file_creation"));
    EXPECT_TRUE(message.HasInt64("file_accessed"));

    FileListItem restored(false, true);
    restored.Read(message);
    EXPECT_STREQ(restored.Path().Path(), path.c_str());
    EXPECT_EQ(restored.Type(), FileListItem::FileType(0x34));
    EXPECT_TRUE(SameIcon(original, restored));
    EXPECT_STREQ(restored.DisplayText(), path.c_str());
    restored.SetShowFullPath(false);
    EXPECT_STREQ(restored.DisplayText(), "notes.txt");

    // Missing fields leave the item alone; a damaged icon is not taken.
    BMessage partial;
    partial.AddInt8("file_type", 9);
    BMessage badIcon;
    badIcon.AddString("class", "BBitmap");
    partial.AddMessage("file_icon", &badIcon);
    restored.Read(partial);
    EXPECT_STREQ(restored.Path().Path(), path.c_str());
    EXPECT_EQ(restored.Type(), FileListItem::FileType(9));
    EXPECT_TRUE(SameIcon(original, restored));

    FileListItem copy(original, false);
    EXPECT_FALSE(copy.Indented());
    EXPECT_STREQ(copy.Path().Path(), path.c_str());
    EXPECT_EQ(copy.Type(), original.Type());
    EXPECT_TRUE(SameIcon(original, copy));
}

TEST(FileListItemTest, TruncationUsesTheWidthOfTheMoment)
{
    TestWindow window;
    auto* list = new BListView(BRect(0, 0, 139, 99), "files");
    window->AddChild(list);
    const char* path = "/boot/home/config/settings/a rather long folder name/and a long file name.txt";
    FileListItem item(path, true, true);
    BFont font;
    list->GetFont(&font);

    item.Update(list, &font);
    EXPECT_STREQ(item.DisplayText(), path);
    item.SetTruncateMode(B_TRUNCATE_MIDDLE);
    item.Update(list, &font);
    const std::string shortened = item.DisplayText();
    EXPECT_LT(shortened.size(), strlen(path));
    EXPECT_LE(font.StringWidth(shortened.c_str()), 140 - 16 - 14 - 7);
    EXPECT_EQ(shortened.substr(0, 5), "/boot");
    EXPECT_EQ(shortened.substr(shortened.size() - 4), ".txt");

    // A wider list keeps the short text until the text is rebuilt.
    list->ResizeTo(1000, 99);
    item.Update(list, &font);
    EXPECT_EQ(item.DisplayText(), shortened);
    item.SetDisplayText();
    item.Update(list, &font);
    EXPECT_STREQ(item.DisplayText(), path);
}

TEST(MetaStringItemTest, CarriesItsData)
{
    MetaStringItem item("Contents");
    EXPECT_STREQ(item.Text(), "Contents");
    EXPECT_EQ(item.OutlineLevel(), 0u);
    EXPECT_TRUE(item.meta.IsEmpty());
    item.meta.AddString("page", "install");
    EXPECT_STREQ(item.meta.GetString("page", ""), "install");
}
