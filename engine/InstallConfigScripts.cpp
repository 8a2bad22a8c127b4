// The job's script steps: the start-up folder with its boot-script section,
// and the configured sections of UserBootscript, UserSetupEnvironment and
// .profile.
#include "InstallConfig.h"

#include "ControlCharacters.h"
#include "DesktopIntegration.h"
#include "ScriptEdit.h"
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
    // At login on Linux the folder's programs are started by the product's
    // login entry, which can take any path.
    if (fDesktop != nullptr)
        fDesktop->SetStartupFolder(path);

    std::vector<char> text(StartupSectionRoom(path));
    BuildStartupString(path, text.data());
    if (text[0] == '\0') {
        fprintf(stderr, "InstallConfig: the StartUp folder's path cannot stand in a boot script: %s\n",
            TerminalText(path).c_str());
        Log("\tThe StartUp folder's path cannot stand in a boot script; no start-up section.\n");
        return;
    }
    _JournalScript(B_USER_BOOT_DIRECTORY, "UserBootscript");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", STARTUP_SECTION_TAG, text.data());
}


namespace {

// The tag of the section in ~/.profile that sets the setup-environment
// section's variables for login shells. It must not begin with a tag the
// product may give its own .profile section, since markers are found by
// substring search.
std::string ProfileEnvironmentTag(const char* tag)
{
    return std::string(ENVIRONMENT_PROFILE_TAG_PREFIX) + (tag != nullptr ? tag : "");
}

std::string ScriptLocation(const directory_which& folder, const char* script)
{
    std::string path;
    ScriptPath(folder, script, path);
    return path;
}

} // namespace


void
InstallConfig::EditBootScripts()
{
    if (EditBootscript()) {
        Log("\tAdded script tab %s to %s\n", EditBootscriptTag(),
            ScriptLocation(B_USER_BOOT_DIRECTORY, "UserBootscript").c_str());
        _JournalScript(B_USER_BOOT_DIRECTORY, "UserBootscript");
        EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", EditBootscriptTag(),
            EditBootscriptContents());
        if (fDesktop != nullptr)
            fDesktop->SetLoginCommands(EditBootscriptContents());
    }
    if (EditSetupEnv()) {
        Log("\tAdded script tab %s to %s\n", EditSetupEnvTag(),
            ScriptLocation(B_USER_BOOT_DIRECTORY, "UserSetupEnvironment").c_str());
        _JournalScript(B_USER_BOOT_DIRECTORY, "UserSetupEnvironment");
        EditScriptFile(B_USER_BOOT_DIRECTORY, "UserSetupEnvironment", EditSetupEnvTag(),
            EditSetupEnvContents());
        // Linux runs no boot folder script: login shells get the variables
        // from ~/.profile, the session manager from an environment.d file.
        if (*EditSetupEnvTag() != '\0') {
            const std::string profileTag = ProfileEnvironmentTag(EditSetupEnvTag());
            Log("\tAdded script tab %s to %s\n", profileTag.c_str(),
                ScriptLocation(B_USER_DIRECTORY, ".profile").c_str());
            _JournalScript(B_USER_DIRECTORY, ".profile");
            EditScriptFile(B_USER_DIRECTORY, ".profile", profileTag.c_str(),
                EditSetupEnvContents());
        }
        if (fDesktop != nullptr)
            fDesktop->PlaceSessionEnvironment(EditSetupEnvContents());
    }
    if (EditProfile()) {
        Log("\tAdded script tab %s to %s\n", EditProfileTag(),
            ScriptLocation(B_USER_DIRECTORY, ".profile").c_str());
        _JournalScript(B_USER_DIRECTORY, ".profile");
        EditScriptFile(B_USER_DIRECTORY, ".profile", EditProfileTag(), EditProfileContents());
    }
}
