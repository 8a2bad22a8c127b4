// Standard folders by code, as the platform numbers them. The Linux folder
// behind each code is given in docs/standard-folders.md; with the sandbox
// active they all lie below the sandbox root.
#pragma once

#include <StorageDefs.h>

#include <sys/types.h>

class BPath;
class BVolume;

typedef enum : int32 {
    B_DESKTOP_DIRECTORY = 0,
    B_TRASH_DIRECTORY,

    B_BEOS_DIRECTORY = 1000,
    B_BEOS_SYSTEM_DIRECTORY,
    B_BEOS_ADDONS_DIRECTORY,
    B_BEOS_BOOT_DIRECTORY,
    B_BEOS_FONTS_DIRECTORY,
    B_BEOS_LIB_DIRECTORY,
    B_BEOS_SERVERS_DIRECTORY,
    B_BEOS_APPS_DIRECTORY,
    B_BEOS_BIN_DIRECTORY,
    B_BEOS_ETC_DIRECTORY,
    B_BEOS_DOCUMENTATION_DIRECTORY,
    B_BEOS_PREFERENCES_DIRECTORY,
    B_BEOS_TRANSLATORS_DIRECTORY,
    B_BEOS_MEDIA_NODES_DIRECTORY,
    B_BEOS_SOUNDS_DIRECTORY,

    B_COMMON_DIRECTORY = 2000,
    B_COMMON_SYSTEM_DIRECTORY,
    B_COMMON_ADDONS_DIRECTORY,
    B_COMMON_BOOT_DIRECTORY,
    B_COMMON_FONTS_DIRECTORY,
    B_COMMON_LIB_DIRECTORY,
    B_COMMON_SERVERS_DIRECTORY,
    B_COMMON_BIN_DIRECTORY,
    B_COMMON_ETC_DIRECTORY,
    B_COMMON_DOCUMENTATION_DIRECTORY,
    B_COMMON_SETTINGS_DIRECTORY,
    B_COMMON_DEVELOP_DIRECTORY,
    B_COMMON_LOG_DIRECTORY,
    B_COMMON_SPOOL_DIRECTORY,
    B_COMMON_TEMP_DIRECTORY,
    B_COMMON_VAR_DIRECTORY,
    B_COMMON_TRANSLATORS_DIRECTORY,
    B_COMMON_MEDIA_NODES_DIRECTORY,
    B_COMMON_SOUNDS_DIRECTORY,

    B_USER_DIRECTORY = 3000,
    B_USER_CONFIG_DIRECTORY,
    B_USER_ADDONS_DIRECTORY,
    B_USER_BOOT_DIRECTORY,
    B_USER_FONTS_DIRECTORY,
    B_USER_LIB_DIRECTORY,
    B_USER_SETTINGS_DIRECTORY,
    B_USER_DESKBAR_DIRECTORY,
    B_USER_PRINTERS_DIRECTORY,
    B_USER_TRANSLATORS_DIRECTORY,
    B_USER_MEDIA_NODES_DIRECTORY,
    B_USER_SOUNDS_DIRECTORY,

    B_APPS_DIRECTORY = 4000,
    B_PREFERENCES_DIRECTORY,
    B_UTILITIES_DIRECTORY
} directory_which;

// The folder of which on volume (NULL: the boot volume). With createIt set,
// the folder and its missing parents are created (mode 0755; the Trash also
// gets its "info" folder). B_BAD_VALUE for an unknown code or volume;
// B_NOT_ALLOWED when creation would leave the sandbox.
status_t find_directory(directory_which which, BPath* path, bool createIt = false, BVolume* volume = nullptr);
// The same into a buffer of length bytes (volume dev_t(-1): the boot
// volume); B_NAME_TOO_LONG when the path does not fit.
status_t find_directory(directory_which which, dev_t volume, bool createIt, char* pathString, int32 length);
