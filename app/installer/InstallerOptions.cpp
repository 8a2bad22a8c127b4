#include "InstallerOptions.h"

#include <SigningKey.h>

#include <cstring>

namespace {

bool SplitList(const std::string& text, std::vector<std::string>& list)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (name.empty())
            return false;
        list.push_back(name);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return true;
}

} // namespace

void PrintInstallerUsage(FILE* out)
{
    std::fprintf(out,
        "Usage: %s [options]\n"
        "\n"
        "Installs the product carried in this program. With a display the installer\n"
        "opens its window; without one, or with --unattended, it installs without\n"
        "windows as the options below say, printing every status line and every\n"
        "question with the answer it took.\n"
        "\n"
        "Options:\n"
        "  --unattended            install without windows\n"
        "  --list                  list the product's install types and items, then exit\n"
        "  --show-license          print the license, then exit\n"
        "  --accept-license        accept the license (required when the product has one)\n"
        "  --folder DIR            the folder to install into; the installation folder is\n"
        "                          created inside it (default: the product's choice, else\n"
        "                          your home folder)\n"
        "  --volume NAME           install on this volume (its name or mount point), in\n"
        "                          its \"home\" folder unless --folder is given\n"
        "  --group NAME            install the items of this install type (default: the\n"
        "                          first install type, or every item when there is none)\n"
        "  --items A,B,...         install these items (by name; may be repeated)\n"
        "  --all                   install every item\n"
        "  --collisions RULE       answer for items whose rule is to ask when something of\n"
        "                          the same name exists: keep (default), replace or ask\n"
        "  --launch                run the programs the product offers to run afterwards\n"
        "  --no-launch             do not run them (default)\n"
        "  --keep-on-stop          when stopped (Ctrl-C, SIGTERM), keep what was installed\n"
        "                          so far instead of taking everything back (default)\n"
        "  --restart               restart the computer when the product asks for it\n"
        "  --no-restart            do not restart (default)\n"
        "  --quiet                 print only questions, problems and the result\n"
        "  --require-signature FINGERPRINT\n"
        "                          install only a build signed with the key of this\n"
        "                          fingerprint (64 hexadecimal digits)\n"
        "  --version               print the installer's version and exit\n"
        "  --help                  print this text and exit\n"
        "  -help FILE              store FILE as this program's help file, then exit\n"
        "\n"
        "Exit status: 0 installed; 1 the destination folder is missing or the\n"
        "installation folder could not be created; 2 bad options, or the license was\n"
        "not accepted; 3 not enough disk space; 4 a requirement of the product is not\n"
        "met; 5 installed, but some items could not be installed; 6 the build is\n"
        "damaged or was changed (it does not match its manifest); 7 the build is not\n"
        "signed with the key --require-signature names; 130 stopped.\n",
        "ondelle");
}

std::string ParseInstallerOptions(int argc, char** argv, InstallerOptions& options)
{
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) -> bool {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "-help") {
            // The platform's own form: "-help FILE" stores a help file,
            // "-help" alone only warns.
            if (i + 1 < argc && argv[i + 1][0] != '-')
                options.helpFile = argv[++i];
            else
                options.helpOptionWithoutFile = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--unattended") {
            options.unattended = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--show-license") {
            options.showLicense = true;
        } else if (arg == "--accept-license") {
            options.acceptLicense = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--folder") {
            if (!value(options.folder))
                return "--folder needs a folder";
        } else if (arg == "--volume") {
            if (!value(options.volume))
                return "--volume needs a volume name or mount point";
        } else if (arg == "--group") {
            if (!value(options.group))
                return "--group needs an install type's name";
        } else if (arg == "--items") {
            if (!value(text) || !SplitList(text, options.items))
                return "--items needs item names separated by commas";
        } else if (arg == "--all") {
            options.allItems = true;
        } else if (arg == "--collisions") {
            if (!value(text))
                return "--collisions needs keep, replace or ask";
            if (text == "keep")
                options.collisions = InstallerOptions::Collisions::Keep;
            else if (text == "replace")
                options.collisions = InstallerOptions::Collisions::Replace;
            else if (text == "ask")
                options.collisions = InstallerOptions::Collisions::Ask;
            else
                return "--collisions takes keep, replace or ask, not \"" + text + "\"";
        } else if (arg == "--require-signature") {
            if (!value(options.requireSignature))
                return "--require-signature needs a key fingerprint";
            if (SigningKey::NormalizeFingerprint(options.requireSignature).empty())
                return "--require-signature needs a key fingerprint of 64 hexadecimal digits, not \""
                    + options.requireSignature + "\"";
        } else if (arg == "--launch") {
            options.launch = InstallerOptions::Question::Yes;
        } else if (arg == "--no-launch") {
            options.launch = InstallerOptions::Question::No;
        } else if (arg == "--keep-on-stop") {
            options.keepOnStop = true;
        } else if (arg == "--restart") {
            options.restart = InstallerOptions::Question::Yes;
        } else if (arg == "--no-restart") {
            options.restart = InstallerOptions::Question::No;
        } else {
            return "unknown option \"" + arg + "\"";
        }
    }
    const int selections = (options.group.empty() ? 0 : 1) + (options.items.empty() ? 0 : 1)
        + (options.allItems ? 1 : 0);
    if (selections > 1)
        return "--group, --items and --all cannot be combined";
    return std::string();
}
