#include <LibVolumeList.h>

#include <VolumeRoster.h>

#include <cstring>

namespace {

std::string NameOf(const BVolume& volume)
{
    char name[B_FILE_NAME_LENGTH];
    if (volume.GetName(name) != B_OK)
        return std::string();
    return name;
}

} // namespace

std::vector<LibVolumeChoice> LibListVolumes(const LibVolumeRules& rules)
{
    std::vector<LibVolumeChoice> choices;
    BVolumeRoster roster;
    BVolume boot;
    const bool hasBoot = roster.GetBootVolume(&boot) == B_OK;
    if (hasBoot)
        choices.push_back({NameOf(boot), boot.Device(), true});

    BVolume volume;
    while (roster.GetNextVolume(&volume) == B_OK) {
        if (hasBoot && volume == boot)
            continue;
        const std::string name = NameOf(volume);
        if (name.empty())
            continue;
        // A volume whose facts cannot be read is judged on none: no flags,
        // so it counts as neither native nor writable-known.
        fs_info info;
        std::memset(&info, 0, sizeof(info));
        fs_stat_dev(volume.Device(), &info);
        choices.push_back({name, volume.Device(), rules.Accepts(info)});
    }
    return choices;
}

bool LibFindVolume(const char* name, BVolume& volume)
{
    if (name == nullptr)
        return false;
    BVolumeRoster roster;
    BVolume candidate;
    while (roster.GetNextVolume(&candidate) == B_OK) {
        if (NameOf(candidate) == name) {
            volume = candidate;
            return true;
        }
    }
    return false;
}
