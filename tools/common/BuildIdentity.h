// The resources that name a build as this installer: its signature and its
// version record, as BAppFileInfo stores them in a program's resources.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

struct BuildResource {
    type_code type = 0;
    int32 id = 0;
    std::string name;
    std::string data;
};

// Makes the identity resources. current holds the records the installer
// program carries already (by their names, "BEOS:APP_SIG" and
// "BEOS:APP_VERSION"), so that what the new records do not replace (the
// system version) is kept. An empty text on success, else what went wrong.
std::string MakeBuildIdentity(const std::vector<BuildResource>& current, std::vector<BuildResource>& identity);

// Whether a resource of the installer program is one of the identity
// records (same type and id, or same type and name), which the build
// replaces.
bool IsIdentityResource(type_code type, int32 id, const std::string& name);
