// The installer program. An installer build is this program followed by
// resources that carry the configuration and every item to install.
#include "InstallerOptions.h"

#include <cstdio>

int main(int argc, char** argv)
{
    InstallerOptions options;
    const std::string error = ParseInstallerOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "ondelle: %s\n", error.c_str());
        std::fprintf(stderr, "Try \"ondelle --help\".\n");
        return 2;
    }
    if (options.help) {
        PrintInstallerUsage(stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Ondelle %s\n", ONDELLE_VERSION);
        return 0;
    }
    PrintInstallerUsage(stdout);
    return 0;
}
