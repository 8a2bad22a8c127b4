// LibVolumeMenu: a menu button labelled "Disk" that lists the mounted
// volumes, the boot volume first, and disables those the caller does not
// accept (see LibVolumeRules). It is empty until the first Update().
#pragma once

#include <LibMenuButton.h>
#include <LibVolumeRules.h>
#include <Volume.h>

class LibVolumeMenu : public LibMenuButton {
public:
    LibVolumeMenu(BPoint where, const char* name, const uint32& command, const float& labelWidth);
    virtual ~LibVolumeMenu();

    // Lists the volumes mounted now, with a message of the command on each,
    // and keeps the marked volume when it is still there.
    void Update();
    // The mounted volume whose name is the marked text; false when none is
    // (for example after it was unmounted).
    bool GetCurrentVolume(BVolume& volume);

    // The rules take effect at the next Update().
    void OnlyBeOS(const bool& only);
    void AllowReadOnly(const bool& allow);
    void AllowShared(const bool& allow);
    void AllowRemovable(const bool& allow);
    void AllowPersistent(const bool& allow);

private:
    LibVolumeRules fRules;
    uint32 fCommand;
};
