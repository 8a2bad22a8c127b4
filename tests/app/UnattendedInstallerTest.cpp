#include "BuildWriter.h"
#include "InstallerOptions.h"
#include "ProductDescription.h"
#include "UnattendedInstaller.h"

#include <AppFileInfo.h>
#include <BuildManifest.h>
#include <ConfigFields.h>
#include <File.h>
#include <LibAppResource.h>
#include <LibAppVersion.h>
#include <LibFileUtils.h>
#include <ResourceFormat.h>
#include <Resources.h>

#include "TestSupport.h"
#include "ZipBytes.h"

#include <gtest/gtest.h>

#include <OS.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// A small product with a license, two install types and a collision rule
// that asks, packed into a real installer build.
class Product {
public:
    // completion: the description's "completion" object, or empty for none;
    // change: applied to the description after it was read and checked
    // (what a build from an older tool may carry).
    explicit Product(const std::string& completion = "",
        const std::function<void(ProductDescription&, const fs::path&)>& change = nullptr)
    {
        fs::create_directories(fDir / "payload/Extras");
        WriteFileBytes(fDir / "payload/app.sh", "#!/bin/sh\necho hello\n");
        WriteFileBytes(fDir / "payload/manual.txt", "How to use it.\n");
        WriteFileBytes(fDir / "payload/Extras/more.txt", "more\n");
        WriteFileBytes(fDir / "license.txt", "Be nice.\n");
        WriteFileBytes(fDir / "product.json", R"json({
  "product": {"name": "Gadget", "version": "1.0"},
  "license": "license.txt",
  "groups": [{"name": "Typical"}, {"name": "Full"}],
  "items": [
    {"path": "payload/app.sh", "groups": ["Typical", "Full"]},
    {"path": "payload/manual.txt", "groups": ["Typical", "Full"], "destination": "User Settings",
     "destination_exists": "Prompt"},
    {"path": "payload/Extras", "groups": ["Full"]}
  ],
  "options": {"log": true, "created_folder": "Gadget"})json"
            + (completion.empty() ? std::string() : ",\n  \"completion\": " + completion) + "\n}");
        ProductDescription description;
        std::vector<ProductDiagnostic> diagnostics;
        EXPECT_TRUE(ReadProductDescription((fDir / "product.json").string(), {}, description, diagnostics));
        if (change)
            change(description, fDir.Path());
        fBuild = fDir / "GadgetSetup";
        EXPECT_EQ(MakeInstallerBuild(description, (ondelle::test::BuildDir() / "app/ondelle").string(), "",
                      fBuild.string()),
            "");
        fs::create_directories(fDir / "target");
    }

    fs::path Build() const { return fBuild; }
    fs::path Target() const { return fDir / "target"; }
    fs::path Installed() const { return fDir / "target/Gadget"; }

    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    Result Run(std::vector<std::string> arguments, const std::atomic<int>* stop = nullptr)
    {
        std::vector<char*> argv{const_cast<char*>("ondelle")};
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        InstallerOptions options;
        EXPECT_EQ(ParseInstallerOptions(int(argv.size()), argv.data(), options), "");
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        UnattendedInstaller installer(options, out, err);
        Result result{installer.Run(fBuild.string(), stop), Read(out), Read(err)};
        std::fclose(out);
        std::fclose(err);
        return result;
    }

private:
    static std::string Read(FILE* file)
    {
        std::fflush(file);
        std::rewind(file);
        std::string text;
        char buffer[4096];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
            text.append(buffer, count);
        return text;
    }

    TempDir fDir;
    fs::path fBuild;
};

// Takes the manifest out of a build, as builds of older tools were made:
// changes the tests make to a build stand for such a build's damage, which
// a build with a manifest would refuse as a whole.
void DropManifest(const fs::path& build)
{
    BResources resources;
    ASSERT_EQ(resources.SetTo(build.c_str()), B_OK);
    ASSERT_EQ(resources.RemoveResource(kManifestResourceType, kManifestResourceId), B_OK);
    ASSERT_EQ(resources.Sync(), B_OK);
}

std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
         it.increment(error))
        entries.insert(it->path().string() + ":" + std::to_string(it->is_regular_file() ? it->file_size() : 0));
    return entries;
}

} // namespace

TEST(InstallerOptionsTest, OptionsAreCheckedBeforeAnythingHappens)
{
    auto parse = [](std::vector<const char*> args, InstallerOptions& options) {
        args.insert(args.begin(), "ondelle");
        return ParseInstallerOptions(int(args.size()), const_cast<char**>(args.data()), options);
    };
    InstallerOptions options;
    EXPECT_EQ(parse({"--items", "a,b", "--items", "c", "--collisions", "replace", "--launch"}, options), "");
    EXPECT_EQ(options.items, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(options.collisions, InstallerOptions::Collisions::Replace);
    EXPECT_EQ(options.launch, InstallerOptions::Question::Yes);

    InstallerOptions bad;
    EXPECT_NE(parse({"--collisions", "overwrite"}, bad).find("keep, replace or ask"), std::string::npos);
    EXPECT_NE(parse({"--items", "a,,b"}, bad), "");
    EXPECT_NE(parse({"--folder"}, bad).find("--folder needs"), std::string::npos);
    EXPECT_NE(parse({"--group", "Full", "--all"}, bad).find("cannot be combined"), std::string::npos);
    EXPECT_NE(parse({"--frobnicate"}, bad).find("unknown option"), std::string::npos);
}

TEST(UnattendedInstallerTest, RefusesWithoutTheLicenseOrWithBadChoices)
{
    Product product;
    const std::string folder = product.Target().string();

    auto noLicense = product.Run({"--folder", folder});
    EXPECT_EQ(noLicense.status, UNATTENDED_BAD_OPTIONS);
    EXPECT_NE(noLicense.out.find("Be nice."), std::string::npos) << "the license is shown";
    EXPECT_NE(noLicense.err.find("--accept-license"), std::string::npos);

    auto badGroup = product.Run({"--folder", folder, "--accept-license", "--group", "typical"});
    EXPECT_EQ(badGroup.status, UNATTENDED_BAD_OPTIONS);
    EXPECT_NE(badGroup.err.find("\"typical\" is not an install type of this product (\"Typical\", \"Full\")"),
        std::string::npos) << badGroup.err;

    auto badItem = product.Run({"--folder", folder, "--accept-license", "--items", "nothing.txt"});
    EXPECT_EQ(badItem.status, UNATTENDED_BAD_OPTIONS);

    auto noFolder = product.Run({"--folder", folder + "/missing", "--accept-license"});
    EXPECT_EQ(noFolder.status, UNATTENDED_NO_FOLDER);
    EXPECT_NE(noFolder.err.find("does not exist"), std::string::npos);

    EXPECT_FALSE(fs::exists(product.Installed())) << "nothing may be installed by a refused run";
}

TEST(UnattendedInstallerTest, InstallsTheChosenItemsAndPrintsTheStatusLines)
{
    Product product;
    auto list = product.Run({"--list"});
    EXPECT_EQ(list.status, UNATTENDED_OK);
    EXPECT_NE(list.out.find("Item \"Extras\""), std::string::npos);
    EXPECT_NE(list.out.find("in Full"), std::string::npos);

    auto typical = product.Run({"--folder", product.Target().string(), "--accept-license"});
    ASSERT_EQ(typical.status, UNATTENDED_OK) << typical.out << typical.err;
    // The run has ended every thread it started (the job, the status
    // printer, the unpacking workers) before it returned: none may still be
    // at work while the program ends and its static objects go.
    EXPECT_EQ(wait_for_spawned_threads(0), 0);
    EXPECT_NE(typical.out.find("2 of 3 items selected (install type \"Typical\")"), std::string::npos);
    EXPECT_NE(typical.out.find("Checking System Resources..."), std::string::npos);
    EXPECT_NE(typical.out.find("Installing 1 of 2 (app.sh)"), std::string::npos);
    EXPECT_NE(typical.out.find("Installing 2 of 2 (manual.txt)"), std::string::npos);
    EXPECT_NE(typical.out.find("Installation Complete"), std::string::npos);
    // Not a terminal: plain progress lines, ending at 100%, never redrawn.
    EXPECT_NE(typical.out.find("\nProgress: 100%\n"), std::string::npos) << typical.out;
    EXPECT_EQ(typical.out.find('\r'), std::string::npos);
    EXPECT_LT(typical.out.find("Installing 2 of 2 (manual.txt)"), typical.out.find("Progress: 100%"));
    EXPECT_TRUE(fs::exists(product.Installed() / "app.sh"));
    EXPECT_FALSE(fs::exists(product.Installed() / "Extras")) << "not in the chosen install type";
    EXPECT_TRUE(fs::exists(product.Installed() / "Log"));
    EXPECT_EQ(ReadFileBytes(product.Installed() / "app.sh"), "#!/bin/sh\necho hello\n");
}

TEST(UnattendedInstallerTest, CollisionAnswersFollowTheOption)
{
    Product product;
    const std::string folder = product.Target().string();
    ASSERT_EQ(product.Run({"--folder", folder, "--accept-license", "--items", "manual.txt"}).status, UNATTENDED_OK);
    const fs::path settings = ondelle::test::SandboxRoot() / "home/.config/manual.txt";
    ASSERT_TRUE(fs::exists(settings)) << "the item went to the user's settings folder";
    WriteFileBytes(settings, "edited by the user\n");

    auto keep = product.Run({"--folder", folder, "--accept-license", "--items", "manual.txt"});
    EXPECT_EQ(keep.status, UNATTENDED_OK);
    EXPECT_NE(keep.out.find("-> Don't Replace"), std::string::npos) << keep.out;
    EXPECT_EQ(ReadFileBytes(settings), "edited by the user\n") << "keep is the default answer";

    auto replace = product.Run({"--folder", folder, "--accept-license", "--items", "manual.txt", "--collisions",
        "replace"});
    EXPECT_EQ(replace.status, UNATTENDED_OK);
    EXPECT_EQ(ReadFileBytes(settings), "How to use it.\n");
    fs::remove(settings);
}

TEST(UnattendedInstallerTest, AnUnansweredCollisionQuestionKeepsTheUsersFile)
{
    // Under test standard input is no terminal, so "ask" gets no answer.
    ASSERT_EQ(::isatty(STDIN_FILENO), 0);
    Product product;
    const std::string folder = product.Target().string();
    ASSERT_EQ(product.Run({"--folder", folder, "--accept-license", "--items", "manual.txt"}).status, UNATTENDED_OK);
    const fs::path settings = ondelle::test::SandboxRoot() / "home/.config/manual.txt";
    WriteFileBytes(settings, "edited by the user\n");

    auto ask = product.Run({"--folder", folder, "--accept-license", "--items", "manual.txt", "--collisions", "ask"});
    EXPECT_EQ(ask.status, UNATTENDED_OK);
    EXPECT_NE(ask.out.find("-> Don't Replace (no answer was given"), std::string::npos) << ask.out;
    EXPECT_EQ(ReadFileBytes(settings), "edited by the user\n");
    fs::remove(settings);
}

TEST(UnattendedInstallerTest, RestartOptionsPickTheButtonByItsWholeName)
{
    const fs::path record = ondelle::test::SandboxRoot() / "shutdown-requests";
    fs::remove(record);
    Product product(R"json({"restart": true})json");
    const std::string folder = product.Target().string();

    auto later = product.Run({"--folder", folder, "--accept-license", "--no-restart"});
    EXPECT_EQ(later.status, UNATTENDED_OK) << later.out << later.err;
    EXPECT_NE(later.out.find("-> Restart Later"), std::string::npos) << later.out;
    EXPECT_FALSE(fs::exists(record));

    auto now = product.Run({"--folder", folder, "--accept-license", "--restart"});
    EXPECT_EQ(now.status, UNATTENDED_OK) << now.out << now.err;
    EXPECT_NE(now.out.find("-> Restart Now"), std::string::npos) << now.out;
    EXPECT_EQ(ReadFileBytes(record), "restart\n");
    fs::remove(record);
}

TEST(UnattendedInstallerTest, TerminationSaysWhatItStopped)
{
    Product product;
    std::atomic<int> stop{SIGTERM};
    auto stopped = product.Run({"--folder", product.Target().string(), "--accept-license", "--all"}, &stop);
    EXPECT_EQ(stopped.status, UNATTENDED_STOPPED);
    EXPECT_NE(stopped.out.find("Installation was stopped before it could complete.\n"), std::string::npos)
        << stopped.out;
    EXPECT_NE(stopped.out.find("(Cause: terminated (SIGTERM).)"), std::string::npos) << stopped.out;
}

TEST(UnattendedInstallerTest, AStopEndsTheJobAndNothingChangesAfterwards)
{
    Product product;
    std::atomic<int> stop{SIGINT};
    auto stopped = product.Run({"--folder", product.Target().string(), "--accept-license", "--all"}, &stop);
    EXPECT_EQ(stopped.status, UNATTENDED_STOPPED);
    EXPECT_NE(stopped.out.find("Installation was stopped before it could complete."), std::string::npos);
    EXPECT_NE(stopped.out.find("(Cause: interrupted (SIGINT).)"), std::string::npos) << stopped.out;
    // The lock on the installation folder's name went with the job.
    for (const auto& entry : fs::directory_iterator(product.Target()))
        EXPECT_EQ(entry.path().filename().string().find(".ondelle-lock"), std::string::npos) << entry.path();
    const auto before = Tree(product.Target());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Tree(product.Target()), before);
}

TEST(UnattendedInstallerTest, ADeinstallerThatCannotBeUnpackedFailsLikeADamagedItem)
{
    Product product;
    // The deinstaller's archive holds an entry that leaves its folder: the
    // unpacking refuses it, so the deinstaller is not placed.
    const std::string archive = ondelle::test::MakeStoredZip(
        {{"remover", "#!/bin/sh\necho removing\n", 0100755}, {"../escaped", "smuggled"}});
    DropManifest(product.Build());
    {
        LibAppResource resources(product.Build().c_str(), B_READ_WRITE);
        ASSERT_EQ(resources.AddResource(B_RAW_TYPE, kDeinstallerResourceId, archive.data(), archive.size(),
                      "remover"),
            B_OK);
    }
    testing::internal::CaptureStderr();
    auto run = product.Run({"--folder", product.Target().string(), "--accept-license"});
    const std::string unpacking = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, UNATTENDED_ITEMS_FAILED) << run.out << run.err << unpacking;
    const std::string name = "Gadget 1.0 Deinstaller";
    EXPECT_NE(run.out.find(name + " (its archive is damaged)"), std::string::npos) << run.out;
    const std::string log = ReadFileBytes(product.Installed() / "Log");
    EXPECT_NE(log.find("\t\tUnable to create the deinstaller " + name + ": its archive is damaged\n"),
        std::string::npos) << log;
    EXPECT_NE(unpacking.find("refusing \"../escaped\""), std::string::npos) << unpacking;

    // Nothing of it is placed, nothing escaped, and the items are there.
    EXPECT_FALSE(fs::exists(product.Installed() / name));
    EXPECT_FALSE(fs::exists(product.Target() / "escaped"));
    EXPECT_FALSE(fs::exists(product.Installed() / "escaped"));
    EXPECT_EQ(ReadFileBytes(product.Installed() / "app.sh"), "#!/bin/sh\necho hello\n");
}

TEST(UnattendedInstallerTest, ABuildCutShortInItsResourcesIsRefusedAsDamaged)
{
    Product product;
    // Cut inside the resource area's header: the program before it is whole.
    uint64 base = 0;
    {
        const int fd = ::open(product.Build().c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ondelle::resources::ContainerInfo info;
        const status_t detected = ondelle::resources::DetectContainer(
            ondelle::resources::FdSource(fd, fs::file_size(product.Build())), info);
        ::close(fd);
        ASSERT_EQ(detected, B_OK);
        base = info.base;
    }
    fs::resize_file(product.Build(), base + 30);
    auto run = product.Run({"--list"});
    EXPECT_EQ(run.status, UNATTENDED_BAD_OPTIONS);
    EXPECT_NE(run.err.find("damaged or cut short"), std::string::npos) << run.err;
}

namespace {

struct ProgramRun {
    int status = -1;
    std::string output; // standard output and error together
};

// Runs program with arguments as its own process (no shell) and collects
// what it writes.
ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& arguments)
{
    ProgramRun run;
    int pipes[2];
    if (::pipe(pipes) != 0)
        return run;
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipes[1], STDOUT_FILENO);
        ::dup2(pipes[1], STDERR_FILENO);
        ::close(pipes[0]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipes[1]);
    char buffer[1024];
    ssize_t count;
    while (child > 0 && (count = ::read(pipes[0], buffer, sizeof(buffer))) > 0)
        run.output.append(buffer, size_t(count));
    ::close(pipes[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

} // namespace

TEST(UnattendedInstallerTest, TheBuildRunsAsAProgram)
{
    Product product;
    const ProgramRun run = RunProgram(product.Build(), {"--unattended", "--accept-license", "--folder",
        product.Target().string(), "--group", "Full"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Installing 3 of 3 (Extras)"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::exists(product.Installed() / "Extras/more.txt"));
}

TEST(UnattendedInstallerTest, HelpOptionStoresTheHelpFileInTheBuild)
{
    Product product;
    TempDir dir;
    const fs::path help = dir / "x-vnd.Quorvane.Vondl.help";
    const std::string text = "<CONTENTS><CONTENT PAGE=\"p\">Only entry</CONTENT></CONTENTS>\n";
    WriteFileBytes(help, text);

    ProgramRun run = RunProgram(product.Build(), {"-help", help.string()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(help.string() + " added to application"), std::string::npos) << run.output;
    {
        LibAppResource resources(product.Build().c_str(), B_READ_ONLY);
        const char* name = nullptr;
        size_t size = 0;
        ASSERT_TRUE(resources.GetResourceInfo(B_RAW_TYPE, kHelpResourceId, &name, &size));
        EXPECT_STREQ(name, kHelpResourceName);
        const fs::path out = dir / "unpacked";
        ASSERT_TRUE(resources.ExtractEntry(kHelpResourceId, (dir / "help.zip").c_str(), false));
        fs::create_directories(out);
        ASSERT_TRUE(LibUnzipTo((dir / "help.zip").c_str(), out.c_str()));
        EXPECT_EQ(ReadFileBytes(out / help.filename()), text);
    }
    // The build still installs afterwards.
    run = RunProgram(product.Build(), {"--unattended", "--accept-license", "--folder",
        product.Target().string(), "--group", "Full"});
    EXPECT_EQ(run.status, 0) << run.output;

    // A missing file is reported and the build is left as it was.
    const std::string before = ReadFileBytes(product.Build());
    run = RunProgram(product.Build(), {"-help", (dir / "absent.help").string()});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("absent.help does not exist"), std::string::npos) << run.output;
    EXPECT_EQ(ReadFileBytes(product.Build()), before);
}

TEST(UnattendedInstallerTest, HelpOptionAloneWarnsAndStartsAnyway)
{
    Product product;
    const ProgramRun run = RunProgram(product.Build(), {"-help", "--unattended", "--accept-license", "--folder",
        product.Target().string(), "--group", "Full"});
    EXPECT_NE(run.output.find("Help file requred"), std::string::npos) << run.output;
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(product.Installed() / "Extras/more.txt"));
}

TEST(UnattendedInstallerTest, VersionRecordIsWrittenIntoAWritableBuildAndAReadOnlyOneStillRuns)
{
    Product product;
    // The build as an older installer left it.
    DropManifest(product.Build());
    {
        BFile file(product.Build().c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        version_info older = {};
        older.minor = 1;
        ASSERT_EQ(info.SetVersionInfo(&older, B_APP_VERSION_KIND), B_OK);
    }
    ASSERT_STRNE(static_cast<const char*>(LibGetAppVersion(product.Build().c_str())), ONDELLE_VERSION);
    TempDir dir;
    const fs::path copy = dir / "ReadOnlySetup";
    fs::copy_file(product.Build(), copy);

    // A writable build receives this installer's version record at its start.
    ProgramRun run = RunProgram(product.Build(), {"--list"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_STREQ(static_cast<const char*>(LibGetAppVersion(product.Build().c_str())), ONDELLE_VERSION);
    // The record the installer is known by, as its caption and --version
    // name it.
    {
        BFile file(product.Build().c_str(), B_READ_ONLY);
        BAppFileInfo info(&file);
        version_info record = {};
        ASSERT_EQ(info.GetVersionInfo(&record, B_APP_VERSION_KIND), B_OK);
        EXPECT_EQ(record.major, 1u);
        EXPECT_EQ(record.middle, 2u);
        EXPECT_EQ(record.minor, 1u);
        EXPECT_EQ(record.variety, 5u);
        EXPECT_EQ(record.internal, 0u);
        EXPECT_STREQ(record.short_info, "Installer");
        EXPECT_STREQ(record.long_info, "V1.2.1 Install BeOS applications");
        ProgramRun version = RunProgram(product.Build(), {"--version"});
        EXPECT_EQ(version.output, "Ondelle 1.2.1\n");
    }
    // A second start leaves the program as it is.
    const std::string written = ReadFileBytes(product.Build());
    run = RunProgram(product.Build(), {"--list"});
    EXPECT_TRUE(ReadFileBytes(product.Build()) == written) << "rewritten at the second start";

    // On a read-only medium the record cannot be written: the program starts
    // and installs without a word about it and stays unchanged.
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
            | fs::perms::group_exec);
    const std::string before = ReadFileBytes(copy);
    run = RunProgram(copy, {"--unattended", "--accept-license", "--folder", product.Target().string(),
        "--group", "Full"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("ermission"), std::string::npos) << run.output;
    // Nothing about the record: a collision question of an earlier test's
    // files in the shared home may list a "Version" fact, so look for the
    // words a complaint about the record would use.
    EXPECT_EQ(run.output.find("version record"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("read-only"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::exists(product.Installed() / "Extras/more.txt"));
    // (The superuser writes through permissions, so only others can tell.)
    if (::access(copy.c_str(), W_OK) != 0) {
        EXPECT_TRUE(ReadFileBytes(copy) == before) << "read-only build changed";
    }
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
}

TEST(UnattendedInstallerTest, NamesFromTheBuildReachTheTerminalWithTheirControlCharactersShown)
{
    // A build whose product and item names carry an OSC sequence (which
    // retitles a terminal) and a screen-clearing one: the check refuses
    // them now, a build from an older tool may still carry them.
    Product product("", [](ProductDescription& description, const fs::path& dir) {
        description.appName = "Gadget\x1b]0;pwned\x07";
        const fs::path titled = dir / "payload/notes\x1b[2J.txt";
        WriteFileBytes(titled, "x");
        ProductItem item = description.items[0];
        item.path = titled.string();
        description.items.push_back(item);
    });
    const auto list = product.Run({"--list"});
    EXPECT_EQ(list.status, UNATTENDED_OK);
    EXPECT_NE(list.out.find("Gadget\\x1b]0;pwned\\x07 1.0"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Item \"notes\\x1b[2J.txt\""), std::string::npos) << list.out;

    const auto run = product.Run({"--folder", product.Target().string(), "--accept-license"});
    EXPECT_EQ(run.status, UNATTENDED_OK) << run.out << run.err;
    EXPECT_NE(run.out.find("notes\\x1b[2J.txt"), std::string::npos) << run.out;
    for (const std::string* text : {&list.out, &list.err, &run.out, &run.err})
        EXPECT_EQ(text->find('\x1b'), std::string::npos) << *text;
    EXPECT_TRUE(fs::exists(product.Installed() / "notes\x1b[2J.txt"));
}
