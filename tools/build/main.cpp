// ondelle-build: makes installer builds from product descriptions, and
// describes installer builds and other files of the platform's formats.
#include "BuildWriter.h"
#include "GlibcFloor.h"
#include "Inspector.h"
#include "ProductDescription.h"

#include <BuildVerifier.h>
#include <LibToolMain.h>
#include <SigningKey.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage:\n"
        "  ondelle-build make DESCRIPTION.json -o BUILD [options]\n"
        "  ondelle-build check DESCRIPTION.json [--define NAME=VALUE]...\n"
        "  ondelle-build inspect FILE...\n"
        "  ondelle-build verify BUILD [--key PUBLIC.pem | --fingerprint FINGERPRINT]\n"
        "  ondelle-build key new NAME\n"
        "\n"
        "make     packs the product described in DESCRIPTION.json into the installer\n"
        "         build BUILD, an executable that installs the product.\n"
        "check    reads the description and reports every problem, makes nothing.\n"
        "inspect  describes an installer build (resources, configuration, every\n"
        "         item's archive, verified) or any resource file, executable with\n"
        "         resources or flattened message of the platform's formats.\n"
        "verify   checks a build against its manifest and says who signed it; with\n"
        "         --key or --fingerprint, refuses a build not signed with that key.\n"
        "key new  makes an Ed25519 key pair for signing: NAME.key (the private key,\n"
        "         readable by you alone; keep it secret) and NAME.pub (publish it).\n"
        "\n"
        "Options of make and check:\n"
        "  -o, --output BUILD       the installer build to write\n"
        "  --installer PROGRAM      the installer program to start from (default:\n"
        "                           the one built or installed beside this tool)\n"
        "  --deinstaller PROGRAM    the deinstaller program to carry (default: the\n"
        "                           description's \"deinstaller\", else the one beside\n"
        "                           this tool when there is one)\n"
        "  --no-deinstaller         carry no deinstaller\n"
        "  --bundle-runtime         start with the first stage and carry the installer's\n"
        "                           runtime (its Qt and other libraries beyond those of\n"
        "                           every desktop, and Qt's plugins), so that the build\n"
        "                           starts on a desktop without Qt (docs/runtime.md)\n"
        "  --glibc-floor 2.N        with --bundle-runtime: the oldest C library the\n"
        "                           build starts on (default and least 2.34); the\n"
        "                           first stage tells users of older systems so\n"
        "  --qt-plugins FOLDER      Qt's plugin folder for --bundle-runtime (default:\n"
        "                           that of the Qt the tool was built with)\n"
        "  --sign KEY               sign the build with the private key file KEY\n"
        "  --signer NAME            the signer's name shown to users (default: the\n"
        "                           product's company)\n"
        "  --define NAME=VALUE      replaces ${NAME} in the description's texts\n"
        "  --quiet                  print only problems\n"
        "\n"
        "Exit status: 0 success, 1 problems found (nothing made), 2 bad usage.\n");
}

fs::path ToolFolder()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

// A program that is built beside this tool (build tree: ../app/NAME) or
// installed beside it (same folder).
// The help file of the installer's windows, copied beside the installer
// program when it is built.
constexpr const char* kInstallerHelpFile = "x-vnd.Quorvane.Vondl.help";

std::string Sibling(const char* name, const char* buildFolder)
{
    const fs::path folder = ToolFolder();
    if (folder.empty())
        return std::string();
    for (const fs::path& candidate : {folder / name, folder.parent_path() / buildFolder / name}) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error))
            return candidate.string();
    }
    return std::string();
}

int NewKey(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[2], "new") != 0) {
        std::fprintf(stderr, "ondelle-build: use \"key new NAME\"\n");
        return 2;
    }
    const std::string name = argv[3];
    SigningKey key;
    std::string error = key.Generate();
    if (error.empty())
        error = key.WritePrivate(name + ".key");
    if (error.empty()) {
        error = key.WritePublic(name + ".pub");
        if (!error.empty())
            ::unlink((name + ".key").c_str());
    }
    if (!error.empty()) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    std::printf("private key: %s.key (keep it secret)\npublic key:  %s.pub\nfingerprint: %s\n", name.c_str(),
        name.c_str(), key.Fingerprint().c_str());
    return 0;
}

int Verify(int argc, char** argv)
{
    std::string build;
    std::string fingerprint;
    for (int i = 2; i < argc; i++) {
        const std::string arg = argv[i];
        if ((arg == "--key" || arg == "--fingerprint") && i + 1 < argc) {
            if (arg == "--fingerprint") {
                fingerprint = argv[++i];
                continue;
            }
            SigningKey key;
            const std::string error = key.ReadPublic(argv[++i]);
            if (!error.empty()) {
                std::fprintf(stderr, "error: %s\n", error.c_str());
                return 1;
            }
            fingerprint = key.Fingerprint();
        } else if (!arg.empty() && arg[0] != '-' && build.empty()) {
            build = arg;
        } else {
            std::fprintf(stderr, "ondelle-build: verify BUILD [--key PUBLIC.pem | --fingerprint FINGERPRINT]\n");
            return 2;
        }
    }
    if (build.empty()) {
        std::fprintf(stderr, "ondelle-build: no build given\n");
        return 2;
    }
    const BuildVerification verification = VerifyBuild(build);
    for (const std::string& problem : verification.problems)
        std::fprintf(stderr, "%s: %s\n", build.c_str(), problem.c_str());
    if (verification.Refused())
        return 1;
    std::printf("%s: %s\n", build.c_str(), verification.Summary().c_str());
    if (!fingerprint.empty()) {
        const std::string refusal = CheckRequiredSignature(verification, fingerprint);
        if (!refusal.empty()) {
            std::fprintf(stderr, "%s: %s\n", build.c_str(), refusal.c_str());
            return 1;
        }
    } else if (verification.state == BuildVerification::State::kUnverified) {
        // Nothing could be checked: not a success.
        return 1;
    }
    return 0;
}

int Check(const std::string& descriptionPath, const std::map<std::string, std::string>& defines,
    ProductDescription& description)
{
    std::vector<ProductDiagnostic> diagnostics;
    const bool ok = ReadProductDescription(descriptionPath, defines, description, diagnostics);
    for (const auto& diagnostic : diagnostics)
        std::fprintf(stderr, "%s: %s\n", diagnostic.isError ? "error" : "warning", diagnostic.text.c_str());
    return ok ? 0 : 1;
}

} // namespace

static int RunBuildTool(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    if (command == "inspect") {
        if (argc < 3) {
            PrintUsage(stderr);
            return 2;
        }
        int result = 0;
        for (int i = 2; i < argc; i++)
            result |= InspectFile(argv[i], std::cout, std::cerr);
        return result;
    }
    if (command == "key")
        return NewKey(argc, argv);
    if (command == "verify")
        return Verify(argc, argv);
    if (command != "make" && command != "check") {
        std::fprintf(stderr, "ondelle-build: unknown command \"%s\"\n", command.c_str());
        PrintUsage(stderr);
        return 2;
    }

    std::string descriptionPath;
    std::string output;
    std::string installer;
    std::string deinstaller;
    bool noDeinstaller = false;
    bool bundleRuntime = false;
    int glibcFloorMinor = kGlibcFloorMinor;
    std::string qtPlugins = ONDELLE_QT_PLUGIN_FOLDER;
    std::string signKey;
    std::string signer;
    bool signerGiven = false;
    bool quiet = false;
    std::map<std::string, std::string> defines;
    for (int i = 2; i < argc; i++) {
        const std::string arg = argv[i];
        auto value = [&](const char* option) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ondelle-build: %s needs a value\n", option);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "-o" || arg == "--output") {
            const char* v = value("--output");
            if (v == nullptr)
                return 2;
            output = v;
        } else if (arg == "--installer") {
            const char* v = value("--installer");
            if (v == nullptr)
                return 2;
            installer = v;
        } else if (arg == "--deinstaller") {
            const char* v = value("--deinstaller");
            if (v == nullptr)
                return 2;
            deinstaller = v;
        } else if (arg == "--sign") {
            const char* v = value("--sign");
            if (v == nullptr)
                return 2;
            signKey = v;
        } else if (arg == "--signer") {
            const char* v = value("--signer");
            if (v == nullptr)
                return 2;
            signer = v;
            signerGiven = true;
        } else if (arg == "--no-deinstaller") {
            noDeinstaller = true;
        } else if (arg == "--bundle-runtime") {
            bundleRuntime = true;
        } else if (arg == "--glibc-floor") {
            const char* v = value("--glibc-floor");
            if (v == nullptr)
                return 2;
            const std::vector<int> numbers = GlibcVersionNumbers(std::string("GLIBC_") + v);
            if (numbers.size() != 2 || numbers[0] != kGlibcFloorMajor || numbers[1] < kGlibcFloorMinor
                || numbers[1] > 99) {
                std::fprintf(stderr, "ondelle-build: --glibc-floor takes a glibc version from %d.%d on (\"%s\")\n",
                    kGlibcFloorMajor, kGlibcFloorMinor, v);
                return 2;
            }
            glibcFloorMinor = numbers[1];
        } else if (arg == "--qt-plugins") {
            const char* v = value("--qt-plugins");
            if (v == nullptr)
                return 2;
            qtPlugins = v;
        } else if (arg == "--define") {
            const char* v = value("--define");
            if (v == nullptr)
                return 2;
            const char* equal = std::strchr(v, '=');
            if (equal == nullptr || equal == v) {
                std::fprintf(stderr, "ondelle-build: --define needs NAME=VALUE, not \"%s\"\n", v);
                return 2;
            }
            defines[std::string(v, size_t(equal - v))] = equal + 1;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "ondelle-build: unknown option \"%s\"\n", arg.c_str());
            return 2;
        } else if (descriptionPath.empty()) {
            descriptionPath = arg;
        } else {
            std::fprintf(stderr, "ondelle-build: only one description at a time (\"%s\")\n", arg.c_str());
            return 2;
        }
    }
    if (descriptionPath.empty()) {
        std::fprintf(stderr, "ondelle-build: no description given\n");
        return 2;
    }

    if (signerGiven && signKey.empty()) {
        std::fprintf(stderr, "ondelle-build: --signer needs --sign KEY\n");
        return 2;
    }
    ProductDescription description;
    if (Check(descriptionPath, defines, description) != 0)
        return 1;
    if (command == "check") {
        if (!quiet)
            std::printf("%s: the description is complete (%zu items)\n", descriptionPath.c_str(),
                description.items.size());
        return 0;
    }
    if (output.empty()) {
        std::fprintf(stderr, "ondelle-build: no output given (-o BUILD)\n");
        return 2;
    }
    if (installer.empty())
        installer = description.installer.empty() ? Sibling("ondelle", "app") : description.installer;
    if (installer.empty()) {
        std::fprintf(stderr, "ondelle-build: no installer program found; give one with --installer\n");
        return 1;
    }
    if (noDeinstaller)
        deinstaller.clear();
    else if (deinstaller.empty())
        deinstaller = description.deinstaller.empty() ? Sibling("ondelle-deinstall", "app") : description.deinstaller;

    // The installer's own help file goes into every build whose vendor
    // gives none, so that context help works in every installer window.
    if (description.helpFile.empty())
        description.helpFile = Sibling(kInstallerHelpFile, "app");

    RuntimeBundleOptions bundle;
    if (glibcFloorMinor != kGlibcFloorMinor && !bundleRuntime) {
        std::fprintf(stderr, "ondelle-build: --glibc-floor goes with --bundle-runtime, whose first stage checks it\n");
        return 2;
    }
    if (bundleRuntime) {
        bundle.firstStage = Sibling("ondelle-start", "app");
        bundle.qtPluginFolder = qtPlugins;
        bundle.glibcFloorMinor = glibcFloorMinor;
        if (bundle.firstStage.empty()) {
            std::fprintf(stderr, "ondelle-build: the first stage program (ondelle-start) is not beside the tool\n");
            return 1;
        }
    }
    BuildSigning signing;
    if (!signKey.empty()) {
        // The key is read before anything is made; its errors name the
        // file, never what is in it.
        const std::string keyError = signing.key.ReadPrivate(signKey);
        if (!keyError.empty()) {
            std::fprintf(stderr, "error: %s\n", keyError.c_str());
            return 1;
        }
        signing.signer = signerGiven ? signer : description.company;
        if (signing.signer.empty()) {
            std::fprintf(stderr, "error: give the signer's name with --signer (the description names no company)\n");
            return 1;
        }
        if (signing.signer.size() > BuildManifest::kMaxSignerLength) {
            std::fprintf(stderr, "error: the signer's name is longer than %u bytes\n",
                unsigned(BuildManifest::kMaxSignerLength));
            return 1;
        }
        for (const char c : signing.signer) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                std::fprintf(stderr, "error: the signer's name holds a control character\n");
                return 1;
            }
        }
    }
    const std::string error = MakeInstallerBuild(description, installer, deinstaller, output,
        [quiet](const BuildProgress& progress) {
            if (!quiet)
                std::printf("[%d/%d] %s\n", progress.step, progress.steps, progress.text.c_str());
        },
        bundleRuntime ? &bundle : nullptr, signKey.empty() ? nullptr : &signing);
    if (!error.empty()) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    if (!quiet) {
        std::printf("%s: installer build written\n", output.c_str());
        if (!signKey.empty())
            std::printf("signed by %s, key fingerprint %s\n", signing.signer.c_str(),
                signing.key.Fingerprint().c_str());
    }
    return 0;
}

int main(int argc, char** argv)
{
    return LibRunToolMain("ondelle-build", 1, [&] { return RunBuildTool(argc, argv); });
}
