#include <gtest/gtest.h>

#include <CustomFolders.h>
#include <Message.h>

#include <string>

namespace {

CustomFolder
Folder(const char* name, int32 parent, const char* sub, bool replace, bool common = false)
{
    CustomFolder folder(name);
    folder.ParentCode(parent).SubFolder(sub).Replace(replace).CommonDef(common);
    return folder;
}

}  // namespace


TEST(CustomFolder, DefaultsAndAttributeDescription)
{
    CustomFolder folder("A");
    EXPECT_EQ(folder.ParentCode(), 0);
    EXPECT_STREQ(folder.SubFolder(), "");
    EXPECT_TRUE(folder.Replace());
    EXPECT_FALSE(folder.CommonDef());
    EXPECT_STREQ(folder.AttrDescription(), "A;0;;1;");

    CustomFolder deskbar = Folder("Deskbar App", 3007, "Applications", false, true);
    // The common flag is not part of the description.
    EXPECT_STREQ(deskbar.AttrDescription(), "Deskbar App;3007;Applications;0;");
}


TEST(CustomFolder, SetFromAttrDescription)
{
    CustomFolder folder;
    folder.CommonDef(true);
    folder.SetFromAttrDescription(LibString("Deskbar App;3007;Applications;0;"));
    EXPECT_STREQ(folder.Name(), "Deskbar App");
    EXPECT_EQ(folder.ParentCode(), 3007);
    EXPECT_STREQ(folder.SubFolder(), "Applications");
    EXPECT_FALSE(folder.Replace());
    EXPECT_TRUE(folder.CommonDef());
    directory_which which = B_DESKTOP_DIRECTORY;
    EXPECT_TRUE(folder.GetParentFolder(which));
    EXPECT_EQ(which, B_USER_DESKBAR_DIRECTORY);

    // Missing fields read as empty text and 0; any non-zero number sets
    // replace; text that is not a number reads as 0.
    folder.SetFromAttrDescription(LibString("Only"));
    EXPECT_STREQ(folder.Name(), "Only");
    EXPECT_EQ(folder.ParentCode(), 0);
    EXPECT_STREQ(folder.SubFolder(), "");
    EXPECT_FALSE(folder.Replace());

    folder.SetFromAttrDescription(LibString("X;abc;a/b;7;"));
    EXPECT_EQ(folder.ParentCode(), 0);
    EXPECT_STREQ(folder.SubFolder(), "a/b");
    EXPECT_TRUE(folder.Replace());

    folder.SetFromAttrDescription(LibString(""));
    EXPECT_STREQ(folder.Name(), "");

    // A code outside the platform's range is kept but not converted.
    folder.SetFromAttrDescription(LibString("Y;99999;s;1;"));
    EXPECT_EQ(folder.ParentCode(), 99999);
    which = B_TRASH_DIRECTORY;
    EXPECT_FALSE(folder.GetParentFolder(which));
    EXPECT_EQ(which, B_TRASH_DIRECTORY);

    // Round trip of a description it made itself.
    CustomFolder source = Folder("Fonts", 3004, "TTF/Extra", true);
    CustomFolder copy;
    copy.SetFromAttrDescription(source.AttrDescription());
    EXPECT_STREQ(copy.AttrDescription(), source.AttrDescription());
}


TEST(CustomFolder, MessageFormWritesFourFieldsInOrder)
{
    BMessage message;
    ASSERT_EQ(Folder("Deskbar App", 3007, "Applications", false).Write(message), B_OK);

    const char* names[] = { "custom_folder_name", "custom_root_dir", "custom_sub_dir",
        "custom_replace_existing" };
    type_code types[] = { B_STRING_TYPE, B_INT32_TYPE, B_STRING_TYPE, B_BOOL_TYPE };
    ASSERT_EQ(message.CountNames(B_ANY_TYPE), 4);
    for (int32 i = 0; i < 4; i++) {
        const char* name = nullptr;
        type_code type = 0;
        ASSERT_EQ(message.GetInfo(B_ANY_TYPE, i, &name, &type), B_OK);
        EXPECT_STREQ(name, names[i]);
        EXPECT_EQ(type, types[i]);
    }

    CustomFolder read("before");
    read.SubFolder("old");
    read.Read(message);
    EXPECT_STREQ(read.Name(), "Deskbar App");
    EXPECT_EQ(read.ParentCode(), 3007);
    EXPECT_STREQ(read.SubFolder(), "Applications");
    EXPECT_FALSE(read.Replace());
}


TEST(CustomFolder, ReadOfMissingFields)
{
    // Missing strings keep the members, a missing code gives 0 and a
    // missing flag false (even though a new folder replaces by default).
    CustomFolder folder = Folder("Kept", 3002, "sub", true);
    BMessage empty;
    folder.Read(empty);
    EXPECT_STREQ(folder.Name(), "Kept");
    EXPECT_STREQ(folder.SubFolder(), "sub");
    EXPECT_EQ(folder.ParentCode(), 0);
    EXPECT_FALSE(folder.Replace());

    BMessage mistyped;
    mistyped.AddInt32("custom_folder_name", 4);
    mistyped.AddString("custom_root_dir", "3000");
    folder.Read(mistyped);
    EXPECT_STREQ(folder.Name(), "Kept");
    EXPECT_EQ(folder.ParentCode(), 0);
}


TEST(CustomFolder, PreferenceFormUsesIndexedKeys)
{
    BMessage prefs;
    ASSERT_EQ(Folder("Deskbar App", 3007, "Applications", false).WritePref(12, prefs), B_OK);
    EXPECT_STREQ(prefs.GetString("custom_folder_name_12", nullptr), "Deskbar App");
    EXPECT_EQ(prefs.GetInt32("custom_folder_parent_12", -1), 3007);
    EXPECT_STREQ(prefs.GetString("custom_folder_sub_dir_12", nullptr), "Applications");
    EXPECT_TRUE(prefs.HasBool("custom_folder_replace_12"));
    EXPECT_FALSE(prefs.GetBool("custom_folder_replace_12", true));

    CustomFolder read;
    read.ReadPref(12, prefs);
    EXPECT_STREQ(read.Name(), "Deskbar App");
    EXPECT_EQ(read.ParentCode(), 3007);
    EXPECT_FALSE(read.Replace());
    EXPECT_TRUE(CustomFolder::HasPref(12, prefs));
    EXPECT_FALSE(CustomFolder::HasPref(1, prefs));
}


TEST(CustomFolder, OperatorsCompareNames)
{
    CustomFolder a = Folder("Alpha", 1, "x", true, true);
    CustomFolder b = Folder("Beta", 2, "y", false);
    EXPECT_TRUE(b > a);
    EXPECT_FALSE(a > b);
    EXPECT_FALSE(a > a);
    EXPECT_TRUE(a == Folder("Alpha", 9, "z", false));
    EXPECT_FALSE(a == Folder("alpha", 1, "x", true));

    CustomFolder c;
    c = a;
    EXPECT_EQ(c.ParentCode(), 1);
    EXPECT_TRUE(c.CommonDef());
    CustomFolder d(b);
    EXPECT_STREQ(d.SubFolder(), "y");

    testing::internal::CaptureStderr();
    a.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "CustomFolder name (Alpha), sub (x), replace 1, common 1\n");
}


TEST(CustomFolders, WritePrefWritesOneSetWithoutGaps)
{
    CustomFolders folders;
    folders.Insert(new CustomFolder(Folder("Common One", 2002, "c1", true, true)));
    folders.Insert(new CustomFolder(Folder("Mine", 3002, "m1", false)));
    folders.Insert(new CustomFolder(Folder("Common Two", 2004, "c2", false, true)));
    folders.Insert(new CustomFolder(Folder("Mine Too", 3004, "m2", true)));
    EXPECT_EQ(folders.CountCommonCustom(), 2);

    BMessage user;
    ASSERT_EQ(folders.WritePref(user, true), B_OK);
    EXPECT_EQ(user.GetInt32("custom_folder_qty", -1), 2);
    EXPECT_STREQ(user.GetString("custom_folder_name_0", nullptr), "Mine");
    EXPECT_STREQ(user.GetString("custom_folder_name_1", nullptr), "Mine Too");
    EXPECT_FALSE(user.HasString("custom_folder_name_2"));

    BMessage common;
    ASSERT_EQ(folders.WritePref(common, false), B_OK);
    EXPECT_EQ(common.GetInt32("custom_folder_qty", -1), 2);
    EXPECT_STREQ(common.GetString("custom_folder_name_0", nullptr), "Common One");
    EXPECT_STREQ(common.GetString("custom_folder_name_1", nullptr), "Common Two");

    // Reading both sets back restores the flags.
    CustomFolders read;
    read.ReadPref(user, true);
    read.ReadPref(common, false);
    ASSERT_EQ(read.Size(), 4);
    EXPECT_EQ(read.CountCommonCustom(), 2);
    EXPECT_FALSE(read.Find("Mine")->CommonDef());
    EXPECT_TRUE(read.Find("Common Two")->CommonDef());
    EXPECT_EQ(read.Find("Common Two")->ParentCode(), 2004);
    EXPECT_FALSE(read.Find("Common Two")->Replace());
}


TEST(CustomFolders, CommonSetRenamesUserFolderOfTheSameName)
{
    CustomFolders own;
    own.Insert(new CustomFolder(Folder("Deskbar App", 3007, "Mine", true)));
    BMessage user;
    own.WritePref(user, true);

    CustomFolders shared;
    shared.Insert(new CustomFolder(Folder("Deskbar App", 3007, "Applications", false, true)));
    BMessage common;
    shared.WritePref(common, false);

    CustomFolders folders;
    folders.ReadPref(user, true);
    folders.ReadPref(common, false);
    ASSERT_EQ(folders.Size(), 2);
    EXPECT_TRUE(folders.IsCustom("Deskbar App Renamed"));
    EXPECT_STREQ(folders.Find("Deskbar App Renamed")->SubFolder(), "Mine");
    EXPECT_FALSE(folders.Find("Deskbar App Renamed")->CommonDef());
    EXPECT_STREQ(folders.Find("Deskbar App")->SubFolder(), "Applications");
    EXPECT_TRUE(folders.Find("Deskbar App")->CommonDef());

    // Reading a user set never renames.
    CustomFolders again;
    again.ReadPref(user, true);
    again.ReadPref(user, true);
    EXPECT_EQ(again.Size(), 2);
    EXPECT_FALSE(again.IsCustom("Deskbar App Renamed"));
}


TEST(CustomFolders, ReadPrefOfDamagedCounts)
{
    CustomFolders folders;
    BMessage none;
    folders.ReadPref(none, true);
    EXPECT_EQ(folders.Size(), 0);

    // A count far beyond the stored folders adds only those stored.
    BMessage prefs;
    Folder("One", 3000, "a", true).WritePref(0, prefs);
    Folder("Two", 3000, "b", true).WritePref(1, prefs);
    prefs.AddInt32("custom_folder_qty", 2000000000);
    folders.ReadPref(prefs, true);
    EXPECT_EQ(folders.Size(), 2);

    BMessage negative;
    negative.AddInt32("custom_folder_qty", -4);
    folders.ReadPref(negative, true);
    EXPECT_EQ(folders.Size(), 2);

    EXPECT_EQ(folders.Find(nullptr), nullptr);
    EXPECT_FALSE(folders.IsCustom("one"));
}

TEST(CustomFolder, ReplacingNeedsAFolderBelowTheParent)
{
    for (const char* sub : {"", ".", "./", "/", "a/..", "a/../..", "../a", "/abs"})
        EXPECT_FALSE(CustomFolder::NamesFolderBelowParent(sub)) << sub;
    for (const char* sub : {"a", "a/", "./a", "a/b/..", "a//b"})
        EXPECT_TRUE(CustomFolder::NamesFolderBelowParent(sub)) << sub;
    EXPECT_FALSE(CustomFolder::NamesFolderBelowParent(nullptr));

    CustomFolder folder("Plugins");
    folder.ParentFolder(B_USER_SETTINGS_DIRECTORY).SubFolder("").Replace(true);
    EXPECT_TRUE(folder.ReplacesParentFolder());
    folder.Replace(false);
    EXPECT_FALSE(folder.ReplacesParentFolder());
    folder.SubFolder("plugins").Replace(true);
    EXPECT_FALSE(folder.ReplacesParentFolder());
}
