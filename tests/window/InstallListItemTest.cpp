#include <InstallListItem.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <Message.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const InstallListItem& item)
{
    // The list's cursor is shared state: walk a copy.
    LibStringList groups(item.Groups());
    std::vector<std::string> names;
    for (LibString* name = groups.First(); name != nullptr; name = groups.Next())
        names.emplace_back(static_cast<const char*>(*name));
    return names;
}

std::vector<int32> Sizes(const BMessage& message)
{
    std::vector<int32> sizes;
    int32 size = 0;
    for (int32 i = 0; message.FindInt32("file_size", i, &size) == B_OK; i++)
        sizes.push_back(size);
    return sizes;
}

} // namespace

TEST(InstallListItemTest, ReadsGroupsSizeAndName)
{
    BMessage message;
    message.AddString("file_name", "/boot/apps/Tern/tern.bin");
    message.AddString("groups", "Minimum;;Typical;Last");
    message.AddInt32("file_size", 1234);
    message.AddInt32("file_size", 99);
    InstallListItem item(false);
    item.Read(message);
    EXPECT_STREQ(item.DisplayText(), "tern.bin");
    EXPECT_EQ(item.Path(), BPath("/boot/apps/Tern/tern.bin"));
    EXPECT_EQ(item.Icon().Bounds(), BRect(0, 0, 15, 15));
    EXPECT_EQ(Names(item), (std::vector<std::string>{"Minimum", "", "Typical", "Last"}));
    EXPECT_TRUE(item.InList("Typical"));
    EXPECT_FALSE(item.InList("typical"));
    EXPECT_EQ(item.Size(), 1234);

    // Read again: the groups are replaced, not added to.
    BMessage trailing;
    trailing.AddString("groups", "Minimum;Typical;");
    item.Read(trailing);
    EXPECT_EQ(Names(item), (std::vector<std::string>{"Minimum", "Typical"}));

    BMessage none;
    none.AddString("groups", "");
    InstallListItem third(false);
    third.Read(none);
    EXPECT_TRUE(Names(third).empty());
    EXPECT_FALSE(third.InList(""));
    EXPECT_EQ(third.Size(), 0);
}

TEST(InstallListItemTest, PathAndCopyConstructors)
{
    ondelle::test::TempDir root;
    const std::string file = (root / "notes.txt").string();
    ondelle::test::WriteFileBytes(file, "twelve bytes");

    InstallListItem fromPath(file.c_str(), false, true);
    EXPECT_EQ(fromPath.Path(), BPath(file.c_str()));
    // Full paths shown: the display text is the whole path.
    EXPECT_STREQ(fromPath.DisplayText(), file.c_str());
    EXPECT_TRUE(Names(fromPath).empty());
    EXPECT_EQ(fromPath.Size(), 0);

    BMessage message;
    message.AddString("file_name", file.c_str());
    message.AddInt8("file_type", 3);
    message.AddString("groups", "Full;Docs");
    message.AddInt32("file_size", 777);
    InstallListItem original(false);
    original.Read(message);

    InstallListItem copy(original, true);
    EXPECT_EQ(copy.Path(), original.Path());
    EXPECT_EQ(copy.Type(), original.Type());
    EXPECT_STREQ(copy.DisplayText(), "notes.txt");
    EXPECT_TRUE(copy.Indented());
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"Full", "Docs"}));
    // The size is the window's business: a copy starts at 0.
    EXPECT_EQ(copy.Size(), 0);
    // The copy's groups are its own.
    BMessage other;
    other.AddString("groups", "Other");
    copy.Read(other);
    EXPECT_EQ(Names(original), (std::vector<std::string>{"Full", "Docs"}));
}

TEST(InstallListItemTest, WritesGroupsAndBothSizes)
{
    ondelle::test::TempDir root;
    const std::string file = (root / "data.bin").string();
    ondelle::test::WriteFileBytes(file, std::string(4096, 'x'));

    BMessage in;
    in.AddString("file_name", file.c_str());
    in.AddString("groups", "Minimum;;Typical");
    in.AddInt32("file_size", 9000);
    InstallListItem item(false);
    item.Read(in);

    BMessage out;
    item.Write(out);
    EXPECT_STREQ(out.GetString("file_name", ""), file.c_str());
    EXPECT_STREQ(out.GetString("groups", ""), "Minimum;;Typical;");
    // The size on this disk first, then the item's own.
    EXPECT_EQ(Sizes(out), (std::vector<int32>{LibEntrySize(file.c_str(), true), 9000}));
    EXPECT_TRUE(out.HasInt64("file_modified"));
    EXPECT_TRUE(out.HasMessage("file_icon"));

    // Read back: the same groups, and the first size.
    InstallListItem again(false);
    again.Read(out);
    EXPECT_EQ(Names(again), Names(item));
    EXPECT_EQ(again.Size(), LibEntrySize(file.c_str(), true));
}

TEST(InstallListItemTest, AnItemNotOnThisDiskKeepsItsSizeThroughWriteAndRead)
{
    ondelle::test::TempDir root;
    const std::string missing = (root / "gone.bin").string();
    BMessage in;
    in.AddString("file_name", missing.c_str());
    in.AddInt32("file_size", 5120);
    InstallListItem item(false);
    item.Read(in);

    BMessage out;
    out.AddInt32("file_size", 1);  // a value already there stays untouched
    item.Write(out);
    EXPECT_EQ(Sizes(out), (std::vector<int32>{1, 5120, 5120}));
    EXPECT_STREQ(out.GetString("groups", "?"), "");

    BMessage fresh;
    item.Write(fresh);
    InstallListItem again(false);
    again.Read(fresh);
    EXPECT_EQ(again.Size(), 5120);
}
