#include <LibVolumeRules.h>

bool LibVolumeRules::Accepts(const fs_info& info) const
{
    if (onlyNative && !fs_is_native(&info))
        return false;
    const auto has = [&](uint32 flag) { return (info.flags & flag) != 0; };
    if (!allowReadOnly && has(B_FS_IS_READONLY))
        return false;
    if (!allowPersistent && has(B_FS_IS_PERSISTENT))
        return false;
    if (!allowRemovable && has(B_FS_IS_REMOVABLE))
        return false;
    if (!allowShared && has(B_FS_IS_SHARED))
        return false;
    return true;
}
