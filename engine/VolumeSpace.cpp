#include "VolumeSpace.h"

#include <Entry.h>
#include <Volume.h>

#include <sys/stat.h>


bool GetVolumeHolding(const char* path, BVolume& volume)
{
    std::string current = path != nullptr ? path : "";
    while (!current.empty()) {
        BEntry entry(current.c_str(), true);
        struct stat st;
        if (entry.InitCheck() == B_OK && entry.GetStat(&st) == B_OK)
            return volume.SetTo(st.st_dev) == B_OK;
        if (current == "/" || current == ".")
            return false;
        const size_t slash = current.rfind('/');
        if (slash == std::string::npos)
            current = ".";
        else
            current = slash == 0 ? std::string("/") : current.substr(0, slash);
    }
    return false;
}


std::string VolumeNameHolding(const char* path)
{
    BVolume volume;
    char name[B_FILE_NAME_LENGTH] = "";
    if (GetVolumeHolding(path, volume))
        volume.GetName(name);
    return name;
}


std::string VolumeFullReason(const char* path)
{
    return "the volume \"" + VolumeNameHolding(path) + "\" is full";
}


bool VolumeLooksFull(const char* path, int64 needed)
{
    BVolume volume;
    if (!GetVolumeHolding(path, volume))
        return false;
    const int64 block = volume.BlockSize() > 0 ? int64(volume.BlockSize()) : 1;
    return int64(volume.FreeBytes()) < (needed > block ? needed : block);
}
