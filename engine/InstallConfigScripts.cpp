// The job's script steps: the start-up folder with its boot-script section,
// and the configured sections of UserBootscript, UserSetupEnvironment and
// .profile.
#include "InstallConfig.h"

#include "StartupFolder.h"

#include <cstdio>
#include <cstring>
#include <vector>


void
InstallConfig::BuildStartupString(const char* folder, char* text)
{
    if (text == nullptr)
        return;
    const std::string section = StartupSectionText(folder);
    memcpy(text, section.c_str(), section.size() + 1);
}


void
InstallConfig::CreateStartupFolder(BMessage& customFolders, BVolume& volume,
    const char* savedFilesPath)
{
    LibString folder;
    GetNewPath(STARTUP_FOLDER_NAME, customFolders, volume, savedFilesPath, folder);
    const char* path = folder;
    if ((path == nullptr || *path == '\0') && !FolderRefusal().empty()) {
        Log("\tNo StartUp folder: %s.\n", FolderRefusal().c_str());
        return;
    }
    if (path == nullptr || *path == '\0') {
        fprintf(stderr, "InstallConfig: the build names no folder \"%s\"; no start-up section\n",
            STARTUP_FOLDER_NAME);
        Log("\tNo StartUp folder: the installer names no folder \"%s\".\n", STARTUP_FOLDER_NAME);
        return;
    }
    Log("\tCreating StartUp folder in %s.\n", path);

    std::vector<char> text(StartupSectionRoom(path));
    BuildStartupString(path, text.data());
    if (text[0] == '\0') {
        fprintf(stderr, "InstallConfig: the StartUp folder's path cannot stand in a boot script: %s\n",
            path);
        Log("\tThe StartUp folder's path cannot stand in a boot script; no start-up section.\n");
        return;
    }
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", STARTUP_SECTION_TAG, text.data());
}


void
InstallConfig::EditBootScripts()
{
    if (EditBootscript()) {
        Log("\tAdded script tab %s to /boot/home/config/boot/UserBootscript\n", EditBootscriptTag());
        EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", EditBootscriptTag(),
            EditBootscriptContents());
    }
    if (EditSetupEnv()) {
        Log("\tAdded script tab %s to /boot/home/config/boot/UserSetupEnvironment\n",
            EditSetupEnvTag());
        EditScriptFile(B_USER_BOOT_DIRECTORY, "UserSetupEnvironment", EditSetupEnvTag(),
            EditSetupEnvContents());
    }
    if (EditProfile()) {
        Log("\tAdded script tab %s to /boot/home/.profile\n", EditProfileTag());
        EditScriptFile(B_USER_DIRECTORY, ".profile", EditProfileTag(), EditProfileContents());
    }
}
