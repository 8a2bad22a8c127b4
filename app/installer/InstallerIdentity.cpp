#include "InstallerIdentity.h"

#include <LibAppVersion.h>
#include <LibString.h>

#include <cstdio>
#include <cstring>

void InstallerVersion(uint32& major, uint32& middle, uint32& minor)
{
    unsigned a = 0, b = 0, c = 0;
    std::sscanf(ONDELLE_VERSION, "%u.%u.%u", &a, &b, &c);
    major = a;
    middle = b;
    minor = c;
}

void UpdateOwnVersionRecord()
{
    uint32 major, middle, minor;
    InstallerVersion(major, middle, minor);
    char expected[64];
    std::snprintf(expected, sizeof(expected), "%u.%u.%u", unsigned(major), unsigned(middle), unsigned(minor));
    const LibString current = LibGetAppVersion(nullptr);
    if (std::strcmp(static_cast<const char*>(current) != nullptr ? static_cast<const char*>(current) : "",
            expected) == 0)
        return;
    LibSetAppVersion(major, middle, minor, kInstallerVersionShort, kInstallerVersionLong, kInstallerVariety, 0);
}
