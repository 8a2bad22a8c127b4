// The mounted volumes as a volume menu offers them: the boot volume first
// and always enabled, then every other volume with a name, in the volume
// roster's order, enabled when the rules accept it.
#pragma once

#include <LibVolumeRules.h>
#include <Volume.h>

#include <string>
#include <sys/types.h>
#include <vector>

struct LibVolumeChoice {
    std::string name;
    dev_t device;
    bool enabled;
};

std::vector<LibVolumeChoice> LibListVolumes(const LibVolumeRules& rules);

// The first mounted volume, in the roster's order, whose name is exactly
// name; false when none is.
bool LibFindVolume(const char* name, BVolume& volume);
