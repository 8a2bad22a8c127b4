#include <gtest/gtest.h>

#include <ConfigFields.h>
#include <CustomFolders.h>
#include <GroupContextList.h>
#include <InstallConfig.h>
#include <Message.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

BMessage
Meta(const char* destination, const char* destinationExists, const char* link,
    const char* linkExists, const char* deinstallable)
{
    BMessage meta;
    meta.AddString("destination", destination);
    meta.AddString("destination_exists", destinationExists);
    meta.AddString("link", link);
    meta.AddString("link_exists", linkExists);
    meta.AddString("deinstallable", deinstallable);
    return meta;
}


BMessage
Item(const char* path, int32 size, const char* groups, const BMessage& meta)
{
    BMessage item;
    item.AddString("file_name", path);
    item.AddInt8("file_type", 2);
    item.AddInt32("file_size", size);
    item.AddInt32("file_size", size / 2);
    item.AddInt64("file_creation", 946684800);
    item.AddInt64("file_modified", 978307200);
    item.AddInt64("file_accessed", 1009843200);
    BMessage icon;
    icon.AddString("class", "LibBitmap");
    icon.AddRect("_frame", BRect(0, 0, 15, 15));
    item.AddMessage("file_icon", &icon);
    item.AddString("groups", groups);
    item.AddMessage("install_meta", &meta);
    return item;
}


BMessage
CustomFolderMessage(const char* name, int32 root, const char* sub, bool replace)
{
    BMessage folder;
    folder.AddString("custom_folder_name", name);
    folder.AddInt32("custom_root_dir", root);
    folder.AddString("custom_sub_dir", sub);
    folder.AddBool("custom_replace_existing", replace);
    return folder;
}


// A configuration with every field a build can carry, including those the
// installer does not read.
BMessage
CompleteConfiguration()
{
    BMessage config;
    config.AddString("app_name", "Skylark Notes");
    config.AddString("version", "2.1");
    config.AddString("release_date", "March 3, 2001");
    config.AddString("company", "Quill Works");
    config.AddString("support_email", "help@quill.example");
    BMessage image;
    image.AddString("class", "BBitmap");
    image.AddRect("_frame", BRect(0, 0, 299, 199));
    image.AddInt32("_cspace", 0x0008);
    config.AddMessage("about_image", &image);
    config.AddString("license", "You may use this.\nNo warranty.");
    BMessage sound;
    const char samples[] = { 1, 2, 3, 4, 5, 6 };
    sound.AddData("data", B_ANY_TYPE, samples, sizeof(samples), false);
    sound.AddFloat("frame_rate", 44100.0f);
    sound.AddInt32("channel_count", 2);
    sound.AddInt32("format", 2);
    sound.AddInt32("byte_order", 1);
    sound.AddInt32("buffer_size", 4096);
    config.AddMessage("audio_data", &sound);
    config.AddInt32("VDC:deinstaller_size", 48213);

    BMessage groups;
    groups.AddString("group_name", "Typical");
    groups.AddString("group_description", "The program and its help");
    groups.AddString("group_name", "Minimum");
    groups.AddString("group_description", "Only the program");
    config.AddMessage("groups", &groups);

    BMessage instructions;
    BMessage app = Item("/boot/home/build/Skylark", 1200000, "Minimum;Typical;",
        Meta("User Selected", "Prompt", "Deskbar App", "Rename", "True"));
    BMessage* appMeta = app.EditMessagePointer("install_meta");
    appMeta->AddString("auto_launch", "True");
    appMeta->AddString("auto_launch_reason", "to pick a notes folder");
    instructions.AddMessage("install_file", &app);
    instructions.AddMessage("install_file", Item("/boot/home/build/Help/", 350000, "Typical;",
        Meta("User Documentation", "Replace", "None", "Replace", "true")));
    instructions.AddMessage("install_file", Item("/boot/home/build/libquill.so", 90000,
        "Minimum;Typical;", Meta("User Libraries", "Rename", "User Selected", "Prompt",
        "True")));
    config.AddMessage("install_instructions", &instructions);

    BMessage folders;
    folders.AddMessage("custom_folder", CustomFolderMessage("Deskbar App", 3007,
        "Applications", false));
    folders.AddMessage("custom_folder", CustomFolderMessage("Fonts Extra", 3004, "Extra/TTF",
        true));
    config.AddMessage("custom_folder", &folders);

    config.AddBool("opt_log", true);
    config.AddBool("opt_create_startup", true);
    config.AddBool("opt_save_replaced", true);
    config.AddString("opt_default_folder", "Applications");
    config.AddString("opt_created_folder", "Skylark Notes");

    config.AddBool("req_disk_space_needed", true);
    config.AddBool("req_disk_space_required", false);
    BMessage amount;
    amount.AddDouble("value", 5242880.75);
    amount.AddInt32("value_type", 0x6B622020);
    amount.AddFloat("value_conversion", 1024.0f);
    config.AddMessage("req_disk_space_amount", &amount);
    config.AddBool("req_boot_vol_only", true);
    config.AddBool("req_removable_vol_ok", true);
    config.AddBool("req_shared_vol_ok", false);
    config.AddBool("req_ram_needed", true);
    config.AddBool("req_ram_required", true);
    config.AddInt32("req_ram_amount", 64);
    BMessage libraries;
    libraries.AddBool("req_shared_librry_req", true);
    libraries.AddString("req_shared_library_name", "libquill.so");
    libraries.AddString("req_shared_library_name", "libtextencoding.so");
    config.AddMessage("req_shared_library", &libraries);
    BMessage apps;
    apps.AddBool("req_app_req", false);
    apps.AddString("req_app_name", "Tracker (application/x-vnd.Be-TRAK)");
    config.AddMessage("req_apps", &apps);

    config.AddBool("edit_bootscript", true);
    config.AddString("edit_bootscript_tag", "SKYLARK");
    config.AddString("edit_bootscript_contents", "/boot/apps/Skylark/daemon &");
    config.AddBool("edit_setup_env", true);
    config.AddString("edit_setup_env_tag", "SKYLARK_ENV");
    config.AddString("edit_setup_env_contents", "export SKYLARK_HOME=/boot/apps/Skylark");
    config.AddBool("edit_profile", false);
    config.AddString("edit_profile_tag", "SKYLARK_PROFILE");
    config.AddString("edit_profile_contents", "alias notes=Skylark");
    config.AddString("complete_comments", "Thank you.");
    config.AddBool("complete_restart", true);
    config.AddBool("complete_display_folder", false);

    config.AddString("install_folder_name", "Skylark Notes");
    config.AddString("audio_file", "/boot/home/sounds/chime.wav");
    config.AddBool("opt_show_beos_folders", true);
    config.AddInt32("opt_compression", 9);
    return config;
}


// Flattens and unflattens source into config, as the window loads it.
void
Load(const BMessage& source, InstallConfig& config)
{
    std::string flat;
    ASSERT_EQ(source.Flatten(&flat), B_OK);
    ASSERT_EQ(config.Unflatten(flat.data(), (ssize_t)flat.size()), B_OK);
}


BMessage
InstructionsOf(std::initializer_list<BMessage> items)
{
    BMessage instructions;
    for (const BMessage& item : items)
        instructions.AddMessage("install_file", &item);
    return instructions;
}


BMessage
ConfigWithItems(std::initializer_list<BMessage> items)
{
    BMessage config;
    BMessage instructions = InstructionsOf(items);
    config.AddMessage("install_instructions", &instructions);
    return config;
}


BMessage
NamedItem(const char* path, int32 size)
{
    BMessage item;
    item.AddString("file_name", path);
    item.AddInt32("file_size", size);
    return item;
}

}  // namespace


TEST(InstallConfig, CompleteConfigurationReadsBackAfterFlattening)
{
    BMessage source = CompleteConfiguration();
    InstallConfig config;
    Load(source, config);

    // Product description.
    EXPECT_STREQ(config.AppName(), "Skylark Notes");
    EXPECT_STREQ(config.Version(), "2.1");
    EXPECT_STREQ(config.ReleaseDate(), "March 3, 2001");
    EXPECT_STREQ(config.Company(), "Quill Works");
    EXPECT_STREQ(config.SupportEmail(), "help@quill.example");
    ASSERT_NE(config.AboutImage(), nullptr);
    EXPECT_STREQ(config.AboutImage()->GetString("class", nullptr), "BBitmap");
    EXPECT_TRUE(config.HasLicense());
    EXPECT_STREQ(config.License(), "You may use this.\nNo warranty.");
    ASSERT_NE(config.AudioData(), nullptr);
    const void* data = nullptr;
    ssize_t size = 0;
    ASSERT_EQ(config.AudioData()->FindData("data", B_ANY_TYPE, &data, &size), B_OK);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(config.AudioData()->GetFloat("frame_rate", 0), 44100.0f);
    EXPECT_EQ(config.AudioData()->GetInt32("buffer_size", 0), 4096);
    EXPECT_TRUE(config.HasDeinstallerSize());
    EXPECT_EQ(config.DeinstallerSize(), 48213);

    // Groups.
    GroupContextList groups;
    config.ReadGroups(groups);
    ASSERT_EQ(groups.Size(), 2);
    EXPECT_STREQ(groups.Get(0)->Name(), "Typical");
    EXPECT_STREQ(groups.Get(0)->Description(), "The program and its help");
    EXPECT_STREQ(groups.Get(1)->Name(), "Minimum");
    EXPECT_EQ(groups.Get(1)->Uid(), 1);

    // Items, in install order.
    ASSERT_EQ(config.CountInstallItems(), 3);
    InstallItem app = config.ItemAt(0);
    EXPECT_STREQ(app.FileName(), "/boot/home/build/Skylark");
    EXPECT_EQ(app.LeafName(), "Skylark");
    EXPECT_EQ(app.FileType(), 2);
    EXPECT_EQ(app.CountFileSizes(), 2);
    EXPECT_EQ(app.FileSize(), 1200000);
    EXPECT_EQ(app.ListedSize(), 600000);
    int64 seconds = 0;
    EXPECT_TRUE(app.GetCreationTime(seconds));
    EXPECT_EQ(seconds, 946684800);
    EXPECT_TRUE(app.GetModificationTime(seconds));
    EXPECT_EQ(seconds, 978307200);
    EXPECT_TRUE(app.GetAccessTime(seconds));
    EXPECT_EQ(seconds, 1009843200);
    ASSERT_NE(app.Icon(), nullptr);
    EXPECT_STREQ(app.Icon()->GetString("class", nullptr), "LibBitmap");
    EXPECT_STREQ(app.Groups(), "Minimum;Typical;");
    EXPECT_TRUE(app.IsInGroup("Minimum"));
    EXPECT_FALSE(app.IsSelected());
    EXPECT_FALSE(app.HasSelectionMark());
    EXPECT_STREQ(app.Destination(), "User Selected");
    EXPECT_TRUE(app.StaysInInstallFolder());
    EXPECT_STREQ(app.DestinationExists(), "Prompt");
    EXPECT_STREQ(app.Link(), "Deskbar App");
    EXPECT_FALSE(app.HasNoLink());
    EXPECT_STREQ(app.LinkExists(), "Rename");
    EXPECT_TRUE(app.IsDeinstallable());
    EXPECT_TRUE(app.IsAutoLaunch());
    EXPECT_STREQ(app.AutoLaunchReason(), "to pick a notes folder");

    InstallItem help = config.ItemAt(1);
    EXPECT_EQ(help.LeafName(), "Help");
    EXPECT_STREQ(help.Destination(), "User Documentation");
    EXPECT_FALSE(help.StaysInInstallFolder());
    EXPECT_TRUE(help.HasNoLink());
    // "true" is not "True".
    EXPECT_STREQ(help.Deinstallable(), "true");
    EXPECT_FALSE(help.IsDeinstallable());
    EXPECT_FALSE(help.IsAutoLaunch());
    EXPECT_STREQ(help.AutoLaunchReason(), "");
    EXPECT_STREQ(config.ItemAt(2).Link(), "User Selected");
    EXPECT_FALSE(config.ItemAt(3).IsValid());

    // Custom folders.
    ASSERT_EQ(config.CountCustomFolders(), 2);
    CustomFolders folders;
    EXPECT_EQ(config.GetCustomFolders(folders), 2);
    ASSERT_NE(folders.Find("Fonts Extra"), nullptr);
    EXPECT_EQ(folders.Find("Fonts Extra")->ParentCode(), 3004);
    EXPECT_STREQ(folders.Find("Fonts Extra")->SubFolder(), "Extra/TTF");
    EXPECT_TRUE(folders.Find("Fonts Extra")->Replace());
    CustomFolder deskbar;
    ASSERT_TRUE(config.FindCustomFolder("Deskbar App", deskbar));
    EXPECT_EQ(deskbar.ParentCode(), 3007);
    EXPECT_STREQ(deskbar.SubFolder(), "Applications");
    EXPECT_FALSE(deskbar.Replace());
    EXPECT_FALSE(config.FindCustomFolder("deskbar app", deskbar));

    // Options.
    EXPECT_TRUE(config.OptLog());
    EXPECT_TRUE(config.OptCreateStartup());
    EXPECT_TRUE(config.OptSaveReplaced());
    EXPECT_TRUE(config.HasOptDefaultFolder());
    EXPECT_STREQ(config.OptDefaultFolder(), "Applications");
    EXPECT_FALSE(config.DefaultFolderIsCurrent());
    EXPECT_STREQ(config.OptCreatedFolder(), "Skylark Notes");

    // Requirements.
    EXPECT_TRUE(config.ReqDiskSpaceNeeded());
    EXPECT_FALSE(config.ReqDiskSpaceRequired());
    EXPECT_EQ(config.ReqDiskSpaceValue(), 5242880.75);
    EXPECT_EQ(config.ReqDiskSpaceBytes(), 5242880);
    EXPECT_TRUE(config.ReqBootVolOnly());
    EXPECT_TRUE(config.ReqRemovableVolOk());
    EXPECT_FALSE(config.ReqSharedVolOk());
    EXPECT_TRUE(config.ReqRamNeeded());
    EXPECT_TRUE(config.ReqRamRequired());
    EXPECT_EQ(config.ReqRamAmount(), 64);
    EXPECT_TRUE(config.ReqSharedLibrariesRequired());
    ASSERT_EQ(config.CountReqSharedLibraries(), 2);
    EXPECT_STREQ(config.ReqSharedLibraryAt(1), "libtextencoding.so");
    EXPECT_EQ(config.ReqSharedLibraryAt(2), nullptr);
    EXPECT_FALSE(config.ReqAppsRequired());
    ASSERT_EQ(config.CountReqApps(), 1);
    EXPECT_EQ(InstallConfig::ReqAppSignature(config.ReqAppAt(0)), "application/x-vnd.Be-TRAK");

    // Script edits and completion.
    EXPECT_TRUE(config.EditBootscript());
    EXPECT_STREQ(config.EditBootscriptTag(), "SKYLARK");
    EXPECT_STREQ(config.EditBootscriptContents(), "/boot/apps/Skylark/daemon &");
    EXPECT_TRUE(config.EditSetupEnv());
    EXPECT_STREQ(config.EditSetupEnvTag(), "SKYLARK_ENV");
    EXPECT_STREQ(config.EditSetupEnvContents(), "export SKYLARK_HOME=/boot/apps/Skylark");
    EXPECT_FALSE(config.EditProfile());
    EXPECT_STREQ(config.EditProfileTag(), "SKYLARK_PROFILE");
    EXPECT_STREQ(config.EditProfileContents(), "alias notes=Skylark");
    EXPECT_STREQ(config.CompleteComments(), "Thank you.");
    EXPECT_TRUE(config.CompleteRestart());
    EXPECT_FALSE(config.CompleteDisplayFolder());

    // Fields the installer does not read travel along untouched, and the
    // whole configuration flattens back to the same content.
    EXPECT_STREQ(config.GetString("audio_file", nullptr), "/boot/home/sounds/chime.wav");
    EXPECT_EQ(config.GetInt32("opt_compression", 0), 9);
    EXPECT_TRUE(config.HasSameData(source));
}


TEST(InstallConfig, EmptyConfigurationReadsDefaults)
{
    InstallConfig config;
    EXPECT_STREQ(config.AppName(), "");
    EXPECT_STREQ(config.SupportEmail(), "");
    EXPECT_EQ(config.AboutImage(), nullptr);
    EXPECT_FALSE(config.HasLicense());
    EXPECT_EQ(config.AudioData(), nullptr);
    EXPECT_FALSE(config.HasDeinstallerSize());
    EXPECT_EQ(config.DeinstallerSize(), 0);
    EXPECT_EQ(config.Groups(), nullptr);
    GroupContextList groups;
    groups.Add("left over");
    config.ReadGroups(groups);
    EXPECT_EQ(groups.Size(), 0);
    EXPECT_EQ(config.CountInstallItems(), 0);
    EXPECT_EQ(config.InstallItemAt(0), nullptr);
    EXPECT_EQ(config.GetFileSize("anything"), 0);
    EXPECT_EQ(config.CountCustomFolders(), 0);
    EXPECT_FALSE(config.OptLog());
    EXPECT_FALSE(config.OptSaveReplaced());
    EXPECT_FALSE(config.HasOptDefaultFolder());
    EXPECT_FALSE(config.DefaultFolderIsCurrent());
    EXPECT_STREQ(config.OptCreatedFolder(), "");
    EXPECT_FALSE(config.ReqDiskSpaceNeeded());
    EXPECT_EQ(config.ReqDiskSpaceBytes(), 0);
    EXPECT_FALSE(config.ReqRemovableVolOk());
    EXPECT_FALSE(config.ReqSharedVolOk());
    EXPECT_EQ(config.ReqRamAmount(), 0);
    EXPECT_FALSE(config.ReqSharedLibrariesRequired());
    EXPECT_EQ(config.CountReqSharedLibraries(), 0);
    EXPECT_EQ(config.ReqAppAt(0), nullptr);
    EXPECT_FALSE(config.EditBootscript());
    EXPECT_STREQ(config.EditProfileContents(), "");
    EXPECT_STREQ(config.CompleteComments(), "");
    EXPECT_FALSE(config.CompleteRestart());

    // An empty license counts as none.
    config.AddString("license", "");
    EXPECT_FALSE(config.HasLicense());
}


TEST(InstallConfig, FieldsOfAnotherTypeReadAsMissing)
{
    InstallConfig config;
    config.AddInt32("app_name", 7);
    config.AddString("opt_log", "True");
    config.AddString("VDC:deinstaller_size", "100");
    config.AddString("groups", "Typical");
    config.AddString("install_instructions", "none");
    config.AddInt64("req_ram_amount", 64);
    config.AddString("req_disk_space_amount", "5 MB");
    BMessage libraries;
    libraries.AddInt32("req_shared_library_name", 1);
    libraries.AddString("req_shared_librry_req", "yes");
    config.AddMessage("req_shared_library", &libraries);

    EXPECT_STREQ(config.AppName(), "");
    EXPECT_FALSE(config.OptLog());
    EXPECT_FALSE(config.HasDeinstallerSize());
    EXPECT_EQ(config.Groups(), nullptr);
    EXPECT_EQ(config.CountInstallItems(), 0);
    EXPECT_EQ(config.IndexOfInstallItem("none"), -1);
    EXPECT_EQ(config.ReqRamAmount(), 0);
    EXPECT_EQ(config.ReqDiskSpaceValue(), 0);
    EXPECT_EQ(config.CountReqSharedLibraries(), 0);
    EXPECT_EQ(config.ReqSharedLibraryAt(0), nullptr);
    EXPECT_FALSE(config.ReqSharedLibrariesRequired());

    // Items whose fields have other types read as defaults.
    BMessage item;
    item.AddInt32("file_name", 3);
    item.AddInt64("file_size", 99);
    item.AddString("install_meta", "Prompt");
    item.AddString("install_to_system", "true");
    InstallConfig odd;
    BMessage instructions = InstructionsOf({ item });
    odd.AddMessage("install_instructions", &instructions);
    InstallItem view = odd.ItemAt(0);
    EXPECT_FALSE(view.HasFileName());
    EXPECT_STREQ(view.FileName(), "");
    EXPECT_EQ(view.FileSize(), 0);
    EXPECT_EQ(view.CountFileSizes(), 0);
    EXPECT_EQ(view.Meta(), nullptr);
    EXPECT_STREQ(view.Destination(), "");
    EXPECT_FALSE(view.IsSelected());
}


TEST(InstallConfig, LeafLookupsFindTheFirstItemOfThatName)
{
    InstallConfig config;
    BMessage noName;
    noName.AddInt32("file_size", 5);
    config = ConfigWithItems({ noName, NamedItem("/boot/home/a/Tool", 10),
        NamedItem("/boot/home/Docs/", 20), NamedItem("/other/place/Tool", 30),
        NamedItem("Plain", 40), NamedItem("/", 50) });

    EXPECT_EQ(config.IndexOfInstallItem("Tool"), 1);
    EXPECT_EQ(config.GetFileSize("Tool"), 10);
    // A trailing slash does not hide the leaf name of a folder item.
    EXPECT_EQ(config.GetFileSize("Docs"), 20);
    EXPECT_EQ(config.GetFileSize("Plain"), 40);
    // The whole path is not a leaf name; names compare exactly.
    EXPECT_EQ(config.IndexOfInstallItem("/boot/home/a/Tool"), -1);
    EXPECT_EQ(config.IndexOfInstallItem("tool"), -1);
    EXPECT_EQ(config.IndexOfInstallItem("Tool "), -1);
    EXPECT_EQ(config.IndexOfInstallItem(nullptr), -1);
    EXPECT_EQ(config.GetFileSize("Missing"), 0);
    // The root path has an empty leaf name; the item without a name is
    // skipped rather than matched.
    EXPECT_EQ(config.IndexOfInstallItem(""), 5);

    // Only the first "file_size" value counts, even when the second is
    // smaller; an item without a size reads 0.
    BMessage twoSizes = NamedItem("/x/Big", 5000);
    twoSizes.AddInt32("file_size", 12);
    BMessage sizeless;
    sizeless.AddString("file_name", "/x/Empty");
    config = ConfigWithItems({ twoSizes, sizeless });
    EXPECT_EQ(config.GetFileSize("Big"), 5000);
    EXPECT_EQ(config.GetFileSize("Empty"), 0);
    EXPECT_EQ(config.GetFileSize("Tool"), 0);
}


TEST(InstallConfig, MarkInstallFileReplacesTheMark)
{
    InstallConfig config;
    Load(ConfigWithItems({ NamedItem("/a/One", 1), NamedItem("/a/Two", 2),
        NamedItem("/b/One", 3) }), config);

    EXPECT_EQ(config.MarkInstallFile("One", true), B_OK);
    EXPECT_EQ(config.MarkInstallFile("One", false), B_OK);
    EXPECT_EQ(config.MarkInstallFile("One", true), B_OK);
    EXPECT_EQ(config.MarkInstallFile("Two", false), B_OK);
    EXPECT_EQ(config.MarkInstallFile("Three", true), B_NAME_NOT_FOUND);
    EXPECT_EQ(config.MarkInstallFile(nullptr, true), B_BAD_VALUE);

    type_code type = 0;
    int32 count = 0;
    ASSERT_EQ(config.InstallItemAt(0)->GetInfo("install_to_system", &type, &count), B_OK);
    EXPECT_EQ(type, B_BOOL_TYPE);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(config.ItemAt(0).IsSelected());
    EXPECT_FALSE(config.ItemAt(1).IsSelected());
    EXPECT_TRUE(config.ItemAt(1).HasSelectionMark());
    // Only the first item of a name is marked.
    EXPECT_FALSE(config.ItemAt(2).HasSelectionMark());

    // A mark of another type is replaced by a boolean one.
    config.EditMessagePointer("install_instructions")->EditMessagePointer("install_file", 2)
        ->AddString("install_to_system", "yes");
    EXPECT_EQ(config.MarkInstallItem(2, true), B_OK);
    ASSERT_EQ(config.InstallItemAt(2)->GetInfo("install_to_system", &type, &count), B_OK);
    EXPECT_EQ(type, B_BOOL_TYPE);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(config.MarkInstallItem(3, true), B_BAD_INDEX);

    // The marks survive flattening.
    InstallConfig again;
    Load(config, again);
    EXPECT_TRUE(again.ItemAt(0).IsSelected());
    EXPECT_FALSE(again.ItemAt(1).IsSelected());
    EXPECT_TRUE(again.ItemAt(2).IsSelected());
}


TEST(InstallConfig, MatchTypeReadsTheGroupList)
{
    BMessage withMetaGroups = NamedItem("/a/Meta", 1);
    BMessage meta;
    meta.AddString("groups", "Minimum;Typical;");
    withMetaGroups.AddMessage("install_meta", &meta);

    BMessage withItemGroups = NamedItem("/a/Item", 1);
    BMessage plainMeta;
    plainMeta.AddString("destination", "User Selected");
    withItemGroups.AddMessage("install_meta", &plainMeta);
    withItemGroups.AddString("groups", "typical;Full");

    BMessage noMeta = NamedItem("/a/NoMeta", 1);
    noMeta.AddString("groups", "Typical;");
    BMessage noGroups = NamedItem("/a/NoGroups", 1);
    noGroups.AddMessage("install_meta", &plainMeta);

    InstallConfig config;
    config = ConfigWithItems({ withMetaGroups, withItemGroups, noMeta, noGroups });

    testing::internal::CaptureStderr();
    EXPECT_TRUE(config.MatchType("Typical", "Meta"));
    EXPECT_TRUE(config.MatchType("Minimum", "Meta"));
    EXPECT_FALSE(config.MatchType("typical", "Meta"));
    EXPECT_FALSE(config.MatchType("", "Meta"));
    EXPECT_FALSE(config.MatchType("Min", "Meta"));
    // Builds keep the list on the item itself; it is used when the rules
    // have none. Text after the last ";" is a name too.
    EXPECT_FALSE(config.MatchType("Typical", "Item"));
    EXPECT_TRUE(config.MatchType("typical", "Item"));
    EXPECT_TRUE(config.MatchType("Full", "Item"));
    EXPECT_FALSE(config.MatchType("Typical", "Unknown"));
    EXPECT_FALSE(config.MatchType(nullptr, "Meta"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(config.MatchType("Typical", "NoMeta"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "InstallConfig::MatchType: could not find meta data\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(config.MatchType("Typical", "NoGroups"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "InstallConfig::MatchType: Could not find option\n");
}


TEST(InstallConfig, LookupsFollowChangesOfTheItems)
{
    InstallConfig config;
    Load(ConfigWithItems({ NamedItem("/a/One", 1), NamedItem("/a/Two", 2) }), config);
    EXPECT_EQ(config.GetFileSize("Two"), 2);

    // Replacing the instructions (as the window and the job do).
    BMessage renamed = InstructionsOf({ NamedItem("/a/Two", 20), NamedItem("/a/One", 10) });
    ASSERT_EQ(config.ReplaceMessage("install_instructions", &renamed), B_OK);
    EXPECT_EQ(config.IndexOfInstallItem("Two"), 0);
    EXPECT_EQ(config.GetFileSize("One"), 10);

    // Loading another configuration.
    Load(ConfigWithItems({ NamedItem("/c/Three", 3) }), config);
    EXPECT_EQ(config.GetFileSize("One"), 0);
    EXPECT_EQ(config.GetFileSize("Three"), 3);

    // Adding items through a nested pointer changes the count.
    BMessage* instructions = config.EditMessagePointer("install_instructions");
    instructions->AddMessage("install_file", NamedItem("/c/Four", 4));
    EXPECT_EQ(config.GetFileSize("Four"), 4);

    // A rename behind the configuration's back, through a plain message
    // reference, is noticed when the item found no longer has the name.
    BMessage& plain = config;
    plain.EditMessagePointer("install_instructions")->EditMessagePointer("install_file", 0)
        ->ReplaceString("file_name", "/c/Renamed");
    EXPECT_EQ(config.IndexOfInstallItem("Three"), -1);
    EXPECT_EQ(config.IndexOfInstallItem("Renamed"), 0);

    // Giving a later item the name of an earlier one needs the notice.
    plain.EditMessagePointer("install_instructions")->EditMessagePointer("install_file", 1)
        ->ReplaceString("file_name", "/d/Renamed");
    plain.EditMessagePointer("install_instructions")->EditMessagePointer("install_file", 0)
        ->ReplaceString("file_name", "/d/Four");
    config.InstallItemsChanged();
    EXPECT_EQ(config.IndexOfInstallItem("Four"), 0);
    EXPECT_EQ(config.IndexOfInstallItem("Renamed"), 1);

    ASSERT_EQ(config.MakeEmpty(), B_OK);
    EXPECT_EQ(config.IndexOfInstallItem("Four"), -1);

    // A failed load leaves an empty configuration.
    const char junk[] = "not a message";
    EXPECT_NE(config.Unflatten(junk, sizeof(junk)), B_OK);
    EXPECT_EQ(config.CountInstallItems(), 0);
    EXPECT_EQ(config.GetFileSize("Four"), 0);
}


TEST(InstallConfig, DiskSpaceAmountIsCutToWholeBytes)
{
    struct {
        double value;
        int64 bytes;
    } cases[] = {
        { 1023.999, 1023 },
        { 0.5, 0 },
        { -4096.0, 0 },
        { std::nan(""), 0 },
        { 1e30, std::numeric_limits<int64>::max() },
        { 6442450944.0, 6442450944LL },
    };
    for (const auto& test : cases) {
        InstallConfig config;
        BMessage amount;
        amount.AddDouble("value", test.value);
        config.AddMessage("req_disk_space_amount", &amount);
        EXPECT_EQ(config.ReqDiskSpaceBytes(), test.bytes) << test.value;
    }
}


TEST(InstallConfig, SmallTextRules)
{
    EXPECT_EQ(InstallConfig::ReqAppSignature("Tracker (application/x-vnd.Be-TRAK)"),
        "application/x-vnd.Be-TRAK");
    EXPECT_EQ(InstallConfig::ReqAppSignature("A (sig) and (other)"), "sig");
    EXPECT_EQ(InstallConfig::ReqAppSignature("Open (application/x-open"), "application/x-open");
    EXPECT_EQ(InstallConfig::ReqAppSignature("No signature"), "");
    EXPECT_EQ(InstallConfig::ReqAppSignature(nullptr), "");

    InstallConfig config;
    config.AddString("opt_default_folder", "Current");
    EXPECT_TRUE(config.DefaultFolderIsCurrent());
    config.ReplaceString("opt_default_folder", "current");
    EXPECT_FALSE(config.DefaultFolderIsCurrent());
    EXPECT_STREQ(config.OptDefaultFolder(), "current");

    EXPECT_EQ(InstallItem::LeafOf("/boot/apps/Tool//"), "Tool");
    EXPECT_EQ(InstallItem::LeafOf("Tool"), "Tool");
    EXPECT_EQ(InstallItem::LeafOf(""), "");
    EXPECT_EQ(InstallItem::LeafOf(nullptr), "");

    EXPECT_TRUE(InstallItem::ListsGroup("Minimum;Typical;", "Typical"));
    EXPECT_FALSE(InstallItem::ListsGroup("Minimum;Typical;", ""));
    EXPECT_TRUE(InstallItem::ListsGroup("a;;b", ""));
    EXPECT_FALSE(InstallItem::ListsGroup("", ""));
    EXPECT_FALSE(InstallItem::ListsGroup("", "Typical"));
}
