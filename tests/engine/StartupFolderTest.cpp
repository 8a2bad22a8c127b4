// The start-up section: its text, byte for byte, and the job's start-up
// step with a "StartUp" custom folder in the sandbox.
#include "TestSupport.h"

#include <FindDirectory.h>
#include <InstallConfig.h>
#include <Path.h>
#include <StartupFolder.h>
#include <Volume.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;

namespace {

// The section as the boot script must receive it, with the folder path
// between the two parts. Written out here independently of the code.
const char* const kExpectedHead = R"TEXT(#
# This section was placed by Ondelle.
# If you are having trouble with these commands,
# please contact support@ondelle.example.org.
#
# These commands gathers items in the start-up file at boot time
# Applications that have an attribute of 'run_priority' get placed
# in the first file, and all others are placed in the second file.
# Those with a run_priority are sorted so those with the lowest priority
# are run first.
#
# With thanks to the testers of the installer
# and to the vendors who build with it.
#
# Any alterations done in this section may be lost
# during the next installation of this product.
#
startup_folder=)TEXT";
const char* const kExpectedTail = R"TEXT(
if [ -d $startup_folder ]
then
	#
	# Add items with attributes to file
	#
	echo "#!/bin/sh" > /tmp/startup_pri_$$
	/bin/catattr run_priority "$startup_folder"/* 2>| /tmp/errs_$$ |
	/bin/awk -F: '{printf("%s~\"%s\"\n",$NF,substr($1,0,length($1)-1));}' |
	sort -n |
	/bin/awk -F '~' '{printf("%s &\n",$2)}' >> /tmp/startup_pri_$$
	#
	# get items that dont have the proper attributes
	#
	echo "#!/bin/sh" > /tmp/startup_no_pri_$$
	sed -e 's/ file /~/' -e 's/ attribute /~/' /tmp/errs_$$ |
	/bin/awk -F '~' '{printf("\""$2"\" &\n")}' >> /tmp/startup_no_pri_$$
	#
	# Change permission
	#
	/bin/chmod a+x /tmp/startup_pri_$$
	/bin/chmod a+x /tmp/startup_no_pri_$$
	#
	# Execute files in background
	#
	/tmp/startup_pri_$$
	/bin/sleep 1
	/tmp/startup_no_pri_$$
	#
	# Clean up files
	#
	/bin/rm -f /tmp/startup_pri_$$
	/bin/rm -f /tmp/startup_no_pri_$$
	/bin/rm -f /tmp/errs_$$
fi
#)TEXT";

std::string Expected(const std::string& folder)
{
    return kExpectedHead + folder + kExpectedTail;
}

fs::path BootFolder()
{
    BPath path;
    EXPECT_EQ(find_directory(B_USER_BOOT_DIRECTORY, &path, false), B_OK);
    return fs::path(path.Path());
}

BMessage CustomFolderMessage(const char* name, int32 root, const char* sub)
{
    BMessage folder;
    folder.AddString("custom_folder_name", name);
    folder.AddInt32("custom_root_dir", root);
    folder.AddString("custom_sub_dir", sub);
    folder.AddBool("custom_replace_existing", false);
    return folder;
}

} // namespace


TEST(StartupSection, TextIsExactForAPlainPath)
{
    const std::string folder = "/boot/home/config/StartUp";
    std::vector<char> text(StartupSectionRoom(folder.c_str()), '\x7f');
    InstallConfig config;
    config.BuildStartupString(folder.c_str(), text.data());
    EXPECT_EQ(std::string(text.data()), Expected(folder));
    EXPECT_EQ(StartupSectionText(folder.c_str()), Expected(folder));

    // The path appears once, unquoted, on its own line; no line end after
    // the last "#"; every line between "then" and "fi" begins with a tab.
    const std::string section = text.data();
    EXPECT_NE(section.find("\nstartup_folder=" + folder + "\nif [ -d $startup_folder ]\n"),
        std::string::npos);
    EXPECT_EQ(section.find(folder), section.rfind(folder));
    EXPECT_EQ(section.back(), '#');
    const size_t then = section.find("\nthen\n") + 6;
    const size_t fi = section.find("\nfi\n");
    for (size_t at = then; at < fi; at = section.find('\n', at) + 1)
        EXPECT_EQ(section[at], '\t') << section.substr(at, 20);
    EXPECT_LE(section.size(), kStartupSectionLength + folder.size());
}


TEST(StartupSection, PathsTheShellWouldInterpretGiveNoText)
{
    // UTF-8 names and the usual punctuation stand as they are.
    const std::string plain = "/home/u/Gr\xc3\xbc\xc3\x9f" "e/start-up_1.0+x,y@z%:=";
    EXPECT_EQ(StartupSectionText(plain.c_str()), Expected(plain));
    for (const char* bad : {"/home/a b", "/home/$(reboot)", "/home/a;b", "/home/a\nrm -rf ~",
             "/home/'q'", "/home/\"q\"", "/home/`x`", "~/x", "/home/a*", "/home/a\\b", ""}) {
        EXPECT_FALSE(StartupFolderPathUsable(bad)) << bad;
        EXPECT_EQ(StartupSectionText(bad), "") << bad;
        char text[kStartupSectionLength + 64];
        InstallConfig config;
        config.BuildStartupString(bad, text);
        EXPECT_STREQ(text, "");
    }
    EXPECT_EQ(StartupSectionText(nullptr), "");
}


TEST(StartupSection, JobStepMakesTheFolderAndItsBootSection)
{
    fs::remove_all(BootFolder());
    TempDir log;
    InstallConfig config;
    BMessage configuration;
    configuration.AddBool("opt_log", true);
    configuration.AddBool("opt_create_startup", true);
    config = configuration;
    config.OpenLog((log / "Log").c_str());

    BPath home;
    ASSERT_EQ(find_directory(B_USER_DIRECTORY, &home, false), B_OK);
    struct stat st;
    ASSERT_EQ(::stat(home.Path(), &st), 0);
    BVolume volume(st.st_dev);
    BMessage folders;
    BMessage startup = CustomFolderMessage("StartUp", 3000, "config/StartUp");
    folders.AddMessage("custom_folder", &startup);
    config.CreateStartupFolder(folders, volume, "");
    config.CloseLog();

    const std::string folder = std::string(home.Path()) + "/config/StartUp";
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(ReadFileBytes(BootFolder() / "UserBootscript"),
        "\n#BEGIN_StartUpFolder\n" + Expected(folder) + "\n#END_StartUpFolder\n");
    EXPECT_EQ(ReadFileBytes(log / "Log"), "\tCreating StartUp folder in " + folder + ".\n");

    // Again: the section is replaced, not added a second time.
    config.CreateStartupFolder(folders, volume, "");
    EXPECT_EQ(ReadFileBytes(BootFolder() / "UserBootscript"),
        "\n#BEGIN_StartUpFolder\n" + Expected(folder) + "\n#END_StartUpFolder\n");
}


TEST(StartupSection, BuildWithoutAStartUpFolderWritesNoSection)
{
    fs::remove_all(BootFolder());
    InstallConfig config;
    BMessage folders;
    BMessage other = CustomFolderMessage("Elsewhere", 3000, "config/Elsewhere");
    folders.AddMessage("custom_folder", &other);
    BVolume volume;
    testing::internal::CaptureStderr();
    config.CreateStartupFolder(folders, volume, "");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("StartUp"), std::string::npos);
    EXPECT_FALSE(fs::exists(BootFolder() / "UserBootscript"));
}
