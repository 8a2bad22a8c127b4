// Which volumes a volume menu offers as enabled: the rules of a
// LibVolumeMenu, judged on a volume's file-system facts.
#pragma once

#include <fs_info.h>

struct LibVolumeRules {
    bool allowPersistent = true;
    bool allowRemovable = true;
    bool allowShared = true;
    bool allowReadOnly = false;
    // Only volumes of the platform's own file system: on Linux those that
    // keep extended attributes like it (fs_is_native).
    bool onlyNative = true;

    bool Accepts(const fs_info& info) const;
};
