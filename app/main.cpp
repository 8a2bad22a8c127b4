// The installer program. An installer build is this program followed by
// resources that carry the configuration and every item to install.
#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(FILE* out)
{
    std::fprintf(out,
        "Usage: ondelle [options]\n"
        "\n"
        "Installs the product carried in this program's resources.\n"
        "\n"
        "Options:\n"
        "  --version        print the installer's version and exit\n"
        "  --help           print this text and exit\n");
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Ondelle %s\n", ONDELLE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        std::fprintf(stderr, "ondelle: unknown option \"%s\"\n", argv[i]);
        PrintUsage(stderr);
        return 2;
    }
    PrintUsage(stdout);
    return 0;
}
