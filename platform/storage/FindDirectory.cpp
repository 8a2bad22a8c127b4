// The standard folders on Linux. Each code maps to a folder below one of a
// few bases: the user's home, the freedesktop configuration and data
// folders, the temporary folder, the Trash, or the root of the system.
// docs/standard-folders.md gives the whole table.
#include <FindDirectory.h>

#include <Path.h>
#include <Sandbox.h>
#include <Volume.h>

#include "StoragePrivate.h"

#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace BPrivate;

namespace {

enum Base {
    kRoot,     // "/" (or the volume's mount point, or the sandbox root)
    kHome,     // the user's home folder
    kConfig,   // $XDG_CONFIG_HOME, ~/.config
    kData,     // $XDG_DATA_HOME, ~/.local/share
    kLocal,    // ~/.local
    kDesktop,  // the desktop folder
    kTemp,     // $TMPDIR, /tmp
    kTrash,    // the freedesktop Trash's "files" folder
};

struct Row {
    directory_which which;
    Base base;
    const char* relative;
};

const Row kRows[] = {
    {B_DESKTOP_DIRECTORY, kDesktop, ""},
    {B_TRASH_DIRECTORY, kTrash, ""},

    {B_BEOS_DIRECTORY, kRoot, "usr/lib/beos"},
    {B_BEOS_SYSTEM_DIRECTORY, kRoot, "usr/lib/beos/system"},
    {B_BEOS_ADDONS_DIRECTORY, kRoot, "usr/lib/beos/system/add-ons"},
    {B_BEOS_BOOT_DIRECTORY, kRoot, "usr/lib/beos/system/boot"},
    {B_BEOS_FONTS_DIRECTORY, kRoot, "usr/share/fonts"},
    {B_BEOS_LIB_DIRECTORY, kRoot, "usr/lib"},
    {B_BEOS_SERVERS_DIRECTORY, kRoot, "usr/lib/beos/system/servers"},
    {B_BEOS_APPS_DIRECTORY, kRoot, "usr/lib/beos/apps"},
    {B_BEOS_BIN_DIRECTORY, kRoot, "usr/bin"},
    {B_BEOS_ETC_DIRECTORY, kRoot, "etc"},
    {B_BEOS_DOCUMENTATION_DIRECTORY, kRoot, "usr/share/doc"},
    {B_BEOS_PREFERENCES_DIRECTORY, kRoot, "usr/lib/beos/preferences"},
    {B_BEOS_TRANSLATORS_DIRECTORY, kRoot, "usr/lib/beos/system/add-ons/Translators"},
    {B_BEOS_MEDIA_NODES_DIRECTORY, kRoot, "usr/lib/beos/system/add-ons/media"},
    {B_BEOS_SOUNDS_DIRECTORY, kRoot, "usr/share/sounds"},

    {B_COMMON_DIRECTORY, kRoot, "usr/local"},
    {B_COMMON_SYSTEM_DIRECTORY, kRoot, "usr/local/lib/beos"},
    {B_COMMON_ADDONS_DIRECTORY, kRoot, "usr/local/lib/beos/add-ons"},
    {B_COMMON_BOOT_DIRECTORY, kRoot, "usr/local/lib/beos/boot"},
    {B_COMMON_FONTS_DIRECTORY, kRoot, "usr/local/share/fonts"},
    {B_COMMON_LIB_DIRECTORY, kRoot, "usr/local/lib"},
    {B_COMMON_SERVERS_DIRECTORY, kRoot, "usr/local/lib/beos/servers"},
    {B_COMMON_BIN_DIRECTORY, kRoot, "usr/local/bin"},
    {B_COMMON_ETC_DIRECTORY, kRoot, "usr/local/etc"},
    {B_COMMON_DOCUMENTATION_DIRECTORY, kRoot, "usr/local/share/doc"},
    {B_COMMON_SETTINGS_DIRECTORY, kRoot, "etc/xdg"},
    {B_COMMON_DEVELOP_DIRECTORY, kRoot, "usr/local/include"},
    {B_COMMON_LOG_DIRECTORY, kRoot, "var/log"},
    {B_COMMON_SPOOL_DIRECTORY, kRoot, "var/spool"},
    {B_COMMON_TEMP_DIRECTORY, kTemp, ""},
    {B_COMMON_VAR_DIRECTORY, kRoot, "var"},
    {B_COMMON_TRANSLATORS_DIRECTORY, kRoot, "usr/local/lib/beos/add-ons/Translators"},
    {B_COMMON_MEDIA_NODES_DIRECTORY, kRoot, "usr/local/lib/beos/add-ons/media"},
    {B_COMMON_SOUNDS_DIRECTORY, kRoot, "usr/local/share/sounds"},

    {B_USER_DIRECTORY, kHome, ""},
    {B_USER_CONFIG_DIRECTORY, kConfig, ""},
    {B_USER_ADDONS_DIRECTORY, kData, "beos/add-ons"},
    {B_USER_BOOT_DIRECTORY, kConfig, "beos/boot"},
    {B_USER_FONTS_DIRECTORY, kData, "fonts"},
    {B_USER_LIB_DIRECTORY, kLocal, "lib"},
    {B_USER_SETTINGS_DIRECTORY, kConfig, ""},
    {B_USER_DESKBAR_DIRECTORY, kData, "applications"},
    {B_USER_PRINTERS_DIRECTORY, kConfig, "beos/printers"},
    {B_USER_TRANSLATORS_DIRECTORY, kData, "beos/add-ons/Translators"},
    {B_USER_MEDIA_NODES_DIRECTORY, kData, "beos/add-ons/media"},
    {B_USER_SOUNDS_DIRECTORY, kData, "sounds"},

    {B_APPS_DIRECTORY, kHome, "Applications"},
    {B_PREFERENCES_DIRECTORY, kHome, "Applications/Preferences"},
    {B_UTILITIES_DIRECTORY, kHome, "Applications/Utilities"},
};

// The bases of one volume.
struct Bases {
    std::string root, home, config, data, local, desktop, temp, trash;
};

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::string();
    return normalize_lexically(value);
}

// Folders laid out below a top folder the same way on every volume that is
// not the boot volume, and inside the sandbox.
Bases LaidOutBelow(const std::string& top, bool volumeTrash)
{
    Bases bases;
    bases.root = top;
    bases.home = join_path(top, "home");
    bases.config = join_path(bases.home, ".config");
    bases.local = join_path(bases.home, ".local");
    bases.data = join_path(bases.local, "share");
    bases.desktop = join_path(bases.home, "Desktop");
    bases.temp = join_path(top, "tmp");
    // A volume's own trash, as the freedesktop convention names it.
    bases.trash = volumeTrash ? join_path(top, ".Trash-" + std::to_string(::getuid()) + "/files")
                              : join_path(bases.data, "Trash/files");
    return bases;
}

Bases BootBases()
{
    if (const char* root = sandbox_root())
        return LaidOutBelow(root, false);

    Bases bases;
    bases.root = "/";
    bases.home = home_folder();
    bases.config = AbsoluteEnv("XDG_CONFIG_HOME");
    if (bases.config.empty())
        bases.config = join_path(bases.home, ".config");
    bases.local = join_path(bases.home, ".local");
    bases.data = AbsoluteEnv("XDG_DATA_HOME");
    if (bases.data.empty())
        bases.data = join_path(bases.local, "share");
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    bases.desktop = desktop.isEmpty() ? join_path(bases.home, "Desktop") : desktop.toStdString();
    bases.temp = AbsoluteEnv("TMPDIR");
    if (bases.temp.empty())
        bases.temp = "/tmp";
    bases.trash = join_path(bases.data, "Trash/files");
    return bases;
}

status_t BasesFor(BVolume* volume, Bases* bases)
{
    if (volume == nullptr) {
        *bases = BootBases();
        return B_OK;
    }
    if (volume->InitCheck() != B_OK)
        return B_BAD_VALUE;
    dev_t device = volume->Device();
    struct stat rootStat;
    if (device == boot_device() || (::stat("/", &rootStat) == 0 && rootStat.st_dev == device)) {
        *bases = BootBases();
        return B_OK;
    }
    MountInfo mount;
    if (find_mount(device, &mount) != B_OK)
        return B_BAD_VALUE;
    if (const char* root = sandbox_root()) {
        // Inside the sandbox only volumes mounted below its root have
        // folders of their own; every other one maps to the sandbox.
        std::string top = root;
        if (mount.mountPoint.compare(0, top.size() + 1, top + "/") != 0) {
            *bases = BootBases();
            return B_OK;
        }
    }
    *bases = LaidOutBelow(mount.mountPoint, true);
    return B_OK;
}

const Row* FindRow(directory_which which)
{
    for (const Row& row : kRows) {
        if (row.which == which)
            return &row;
    }
    return nullptr;
}

status_t Compute(directory_which which, BVolume* volume, bool createIt, std::string* result)
{
    const Row* row = FindRow(which);
    if (row == nullptr)
        return B_BAD_VALUE;
    Bases bases;
    status_t status = BasesFor(volume, &bases);
    if (status != B_OK)
        return status;
    const std::string* base = nullptr;
    switch (row->base) {
    case kRoot: base = &bases.root; break;
    case kHome: base = &bases.home; break;
    case kConfig: base = &bases.config; break;
    case kData: base = &bases.data; break;
    case kLocal: base = &bases.local; break;
    case kDesktop: base = &bases.desktop; break;
    case kTemp: base = &bases.temp; break;
    case kTrash: base = &bases.trash; break;
    }
    std::string path = join_path(*base, row->relative);

    if (createIt) {
        status = check_write(path);
        if (status != B_OK)
            return status;
        const bool trash = which == B_TRASH_DIRECTORY;
        status = make_directories(path, trash ? 0700 : 0755);
        if (status != B_OK)
            return status;
        if (trash) {
            // The Trash keeps a description of every entry in "info".
            std::string folder, leaf;
            split_path(path, &folder, &leaf);
            status = make_directories(join_path(folder, "info"), 0700);
            if (status != B_OK)
                return status;
        }
    }
    *result = path;
    return B_OK;
}

} // namespace

status_t find_directory(directory_which which, BPath* path, bool createIt, BVolume* volume)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    std::string result;
    status_t status = Compute(which, volume, createIt, &result);
    if (status != B_OK)
        return status;
    return path->SetTo(result.c_str());
}

status_t find_directory(directory_which which, dev_t volume, bool createIt, char* pathString, int32 length)
{
    if (pathString == nullptr || length <= 0)
        return B_BAD_VALUE;
    std::string result;
    status_t status;
    if (volume == dev_t(-1)) {
        status = Compute(which, nullptr, createIt, &result);
    } else {
        BVolume object(volume);
        if (object.InitCheck() != B_OK)
            return B_BAD_VALUE;
        status = Compute(which, &object, createIt, &result);
    }
    if (status != B_OK)
        return status;
    if (result.size() >= size_t(length))
        return B_NAME_TOO_LONG;
    std::snprintf(pathString, size_t(length), "%s", result.c_str());
    return B_OK;
}
