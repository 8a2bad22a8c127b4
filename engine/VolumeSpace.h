// The volume that really holds a path, and how the install job tells that
// it has run out of room. A folder that is a mount point belongs to the
// volume mounted there, not to the volume of its parent.
#pragma once

#include <SupportDefs.h>

#include <string>

class BVolume;

// Sets volume to the volume holding path, or, when path does not exist yet,
// its nearest existing parent folder. False when none can be found.
bool GetVolumeHolding(const char* path, BVolume& volume);

// The name of the volume holding path (as GetVolumeHolding finds it); empty
// when there is none.
std::string VolumeNameHolding(const char* path);

// "the volume \"NAME\" is full" for the volume holding path.
std::string VolumeFullReason(const char* path);

// True when the volume holding path has less than needed bytes (and at
// least less than one block) free for the user.
bool VolumeLooksFull(const char* path, int64 needed);
