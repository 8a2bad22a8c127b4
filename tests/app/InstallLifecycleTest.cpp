// What comes after the first install, with installer builds run as their
// own programs: an install killed with SIGKILL at random moments is taken
// back by the next run (or complete, when the kill came after the last
// step); a reinstall replaces the product's own unchanged files and a
// deinstall then removes all of the product.
#include "BuildWriter.h"
#include "ProductDescription.h"

#include <InstallJournal.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Noise(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(random() & 0xff);
    return bytes;
}

// A product of 40 items (about 3 MB) that places files in the
// installation folder, in two standard folders (replacing, and renaming
// what is in the way) and in a custom folder it makes, with links, a menu
// entry and both setup scripts.
class KillProduct {
public:
    KillProduct()
    {
        fs::create_directories(fDir / "payload");
        std::ostringstream items;
        for (int i = 0; i < 40; i++) {
            const std::string leaf = "item" + std::to_string(i) + (i % 10 == 9 ? "" : ".dat");
            const fs::path source = fDir / "payload" / leaf;
            if (i % 10 == 9) {
                fs::create_directories(source / "inner");
                WriteFileBytes(source / "a.txt", "folder " + std::to_string(i) + "\n");
                WriteFileBytes(source / "inner/b.bin", Noise(20000, unsigned(i)));
            } else {
                WriteFileBytes(source, Noise(70000 + size_t(i) * 100, unsigned(i)));
            }
            const char* destination = i % 4 == 0 ? "User Settings" : i % 4 == 1 ? "User Libraries"
                : i % 4 == 2 ? "Kill Data" : "User Selected";
            const char* rule = i % 4 == 1 ? "Rename" : "Replace";
            items << (i > 0 ? ",\n" : "") << "{\"path\": \"payload/" << leaf << "\", \"groups\": [\"Full\"], "
                  << "\"destination\": \"" << destination << "\", \"destination_exists\": \"" << rule << "\", "
                  << "\"deinstallable\": true"
                  << (i % 8 == 3 ? ", \"link\": \"Kill Links\", \"link_exists\": \"Replace\"" : "")
                  << (i == 7 ? ", \"link\": \"User Deskbar\", \"link_exists\": \"Replace\"" : "") << "}";
        }
        WriteFileBytes(fDir / "product.json", R"json({
  "product": {"name": "Killjoy", "version": "2.0"},
  "groups": [{"name": "Full"}],
  "custom_folders": [
    {"name": "Kill Data", "root": "User Settings", "sub_dir": "killjoy/data", "replace_existing": false},
    {"name": "Kill Links", "root": "User Settings", "sub_dir": "killjoy/links", "replace_existing": false}
  ],
  "items": [)json" + items.str() + R"json(],
  "scripts": {
    "setup_environment": {"tag": "Killjoy", "contents": "export KILLJOY=1"},
    "profile": {"tag": "Killjoy", "contents": "alias kj=true"}
  },
  "options": {"log": true, "save_replaced": false, "created_folder": "Killjoy", "compression_level": 1}
})json");
        ProductDescription description;
        std::vector<ProductDiagnostic> diagnostics;
        EXPECT_TRUE(ReadProductDescription((fDir / "product.json").string(), {}, description, diagnostics));
        for (const ProductDiagnostic& diagnostic : diagnostics)
            if (diagnostic.isError)
                ADD_FAILURE() << diagnostic.text;
        fBuild = fDir / "KilljoySetup";
        EXPECT_EQ(MakeInstallerBuild(description, (ondelle::test::BuildDir() / "app/ondelle").string(), "",
                      fBuild.string()),
            "");
    }

    const fs::path& Build() const { return fBuild; }
    const fs::path& Dir() const { return fDir.Path(); }

private:
    TempDir fDir;
    fs::path fBuild;
};

// A machine of its own below root: home, target folder and temporary
// folder, given to the installer through its environment.
struct Machine {
    fs::path root;
    fs::path Home() const { return root / "home"; }
    fs::path Target() const { return root / "target"; }
    fs::path Journal() const { return Target() / ".Killjoy.ondelle-journal"; }
    fs::path Lock() const { return Target() / ".Killjoy.ondelle-lock"; }

    std::vector<std::string> Environment() const
    {
        std::vector<std::string> values{"ONDELLE_SANDBOX=" + root.string(), "HOME=" + Home().string(),
            "TMPDIR=" + (root / "tmp").string(), "XDG_DATA_HOME=" + (Home() / ".local/share").string(),
            "XDG_CONFIG_HOME=" + (Home() / ".config").string(), "XDG_CACHE_HOME=" + (Home() / ".cache").string(),
            "XDG_RUNTIME_DIR=" + (root / "run").string(), "QT_QPA_PLATFORM=offscreen",
            "PATH=" + std::string(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin")};
        // A sanitizer's settings (its suppressions among them) reach the
        // programs the test starts.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                values.push_back(std::string(name) + "=" + value);
        return values;
    }

    void Make() const
    {
        for (const char* folder : {"home", "target", "tmp", "run"})
            fs::create_directories(root / folder);
        fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
    }
};

// Starts command as its own program on machine; its output is added to the
// machine's output file.
pid_t Spawn(const Machine& machine, std::vector<std::string> words)
{
    std::vector<std::string> environment = machine.Environment();
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& line : environment)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    const std::string output = (machine.root / "output.txt").string();
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return child;
}

// Waits for child; its exit status, 128 + the signal that ended it, or -1.
int WaitFor(pid_t child)
{
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts the build as its own program on machine.
pid_t StartInstall(const fs::path& build, const Machine& machine)
{
    return Spawn(machine, {build.string(), "--unattended", "--accept-license", "--all", "--no-launch", "--folder",
                              machine.Target().string()});
}

// Runs program with arguments on machine and waits. Returns its exit status.
int RunOn(const Machine& machine, const std::vector<std::string>& command)
{
    return WaitFor(Spawn(machine, command));
}

// Everything below root that the install may touch, with contents, modes,
// times of files and links, link targets and attributes. Folders count by
// kind and mode (their times change whenever an entry comes and goes).
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::none, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path path = it->path();
        const std::string relative = path.lexically_relative(root).string();
        if (relative.rfind("tmp", 0) == 0 || relative.rfind("run", 0) == 0 || relative == "output.txt"
            || relative.find(".ondelle-lock") != std::string::npos || relative.rfind("home/.cache", 0) == 0) {
            if (it->is_directory() && !it->is_symlink())
                it.disable_recursion_pending();
            continue;
        }
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        std::ostringstream line;
        line << std::oct << st.st_mode << std::dec;
        if (S_ISREG(st.st_mode)) {
            line << " " << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec << " "
                 << std::hash<std::string>()(ReadFileBytes(path));
        } else if (S_ISLNK(st.st_mode)) {
            line << " " << st.st_mtim.tv_sec << " -> " << fs::read_symlink(path).string();
        }
        if (!S_ISLNK(st.st_mode)) {
            char names[4096];
            const ssize_t length = ::llistxattr(path.c_str(), names, sizeof(names));
            std::vector<std::string> sorted;
            for (ssize_t at = 0; length > 0 && at < length; at += ssize_t(std::strlen(names + at)) + 1)
                sorted.push_back(names + at);
            std::sort(sorted.begin(), sorted.end());
            for (const std::string& name : sorted) {
                char value[4096];
                const ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), value, sizeof(value));
                line << " [" << name << "=" << std::hash<std::string>()(std::string(value, size_t(std::max<ssize_t>(size, 0)))) << "]";
            }
        }
        entries[relative] = line.str();
    }
    return entries;
}

std::string Difference(const std::map<std::string, std::string>& before,
    const std::map<std::string, std::string>& after)
{
    std::string text;
    for (const auto& [path, line] : before) {
        auto found = after.find(path);
        if (found == after.end())
            text += "missing: " + path + "\n";
        else if (found->second != line)
            text += "changed: " + path + " (" + line + " / " + found->second + ")\n";
    }
    for (const auto& [path, line] : after) {
        if (before.find(path) == before.end())
            text += "added: " + path + "\n";
    }
    return text;
}

// A machine that the complete install reached: the journal is gone, the
// items are in place and nothing set aside is left anywhere.
std::string CompleteProblems(const Machine& machine)
{
    std::string text;
    if (fs::exists(machine.Journal()))
        text += "journal left\n";
    if (!fs::exists(machine.Target() / "Killjoy/item3.dat"))
        text += "item3.dat missing\n";
    if (!fs::exists(machine.Home() / "config/settings/killjoy/data/item2.dat")
        && !fs::exists(machine.Home() / ".config/killjoy/data/item2.dat")) {
        // Where "User Settings" lies is the platform's business: look for
        // the item anywhere in the home folder instead.
        bool found = false;
        for (auto& entry : fs::recursive_directory_iterator(machine.Home()))
            found = found || entry.path().filename() == "item2.dat";
        if (!found)
            text += "item2.dat missing\n";
    }
    for (auto& entry : fs::recursive_directory_iterator(machine.root)) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.rfind(".ondelle-aside-", 0) == 0 || leaf.rfind(".ondelle-backup-", 0) == 0
            || leaf.rfind(".ondelle-earlier-", 0) == 0)
            text += "left over: " + entry.path().string() + "\n";
    }
    return text;
}

// Runs the kills of one series. prepare makes the machine's state before
// the install.
void KillSeries(const KillProduct& product, const fs::path& base, const char* name, int kills, unsigned seed,
    const std::function<void(const Machine&)>& prepare)
{
    // One complete run tells how long an install takes here and now.
    Machine reference{base / (std::string(name) + "-reference")};
    reference.Make();
    prepare(reference);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(WaitFor(StartInstall(product.Build(), reference)), 0)
        << ReadFileBytes(reference.root / "output.txt");
    const auto length = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(CompleteProblems(reference), "");
    EXPECT_FALSE(fs::exists(reference.Lock()));

    std::mt19937 random(seed);
    int rolledBack = 0;
    for (int kill = 0; kill < kills; kill++) {
        Machine machine{base / (std::string(name) + "-" + std::to_string(kill))};
        machine.Make();
        prepare(machine);
        const auto before = Snapshot(machine.root);
        const pid_t child = StartInstall(product.Build(), machine);
        // A moment anywhere in the install (the program's start included).
        std::this_thread::sleep_for(std::chrono::microseconds(random() % uint64_t(length + 1)));
        ::kill(child, SIGKILL);
        WaitFor(child);

        if (InstallJournal::Exists(machine.Journal().string())) {
            // What the next run does first.
            const std::string journal = ReadFileBytes(machine.Journal());
            InstallJournal::Outcome outcome;
            ASSERT_EQ(InstallJournal::Recover(machine.Journal().string(), outcome), B_OK);
            EXPECT_TRUE(outcome.problems.empty()) << outcome.problems.front();
            if (!outcome.committed) {
                rolledBack++;
                EXPECT_EQ(Difference(before, Snapshot(machine.root)), "") << name << " kill " << kill << "\n" << journal;
            } else {
                EXPECT_EQ(CompleteProblems(machine), "") << name << " kill " << kill;
            }
        } else {
            const std::string difference = Difference(before, Snapshot(machine.root));
            if (!difference.empty()) {
                EXPECT_EQ(CompleteProblems(machine), "") << name << " kill " << kill << "\n" << difference;
            }
        }
        // Some machines are installed again: the retry simply works.
        if (kill % 7 == 0) {
            ASSERT_EQ(WaitFor(StartInstall(product.Build(), machine)), 0)
                << ReadFileBytes(machine.root / "output.txt");
            EXPECT_EQ(CompleteProblems(machine), "");
            EXPECT_FALSE(fs::exists(machine.Lock()));
        }
        std::error_code error;
        fs::remove_all(machine.root, error);
    }
    // The moments are spread over the install: most kills found work to
    // take back.
    EXPECT_GT(rolledBack, 0);
}

} // namespace

TEST(InstallRollbackTest, AKilledInstallIsTakenBackOrCompleteIntoAFreshFolderAndOverAnEarlierOne)
{
    KillProduct product;
    TempDir base;
    KillSeries(product, base.Path(), "fresh", 15, 20261208u, [](const Machine&) {});

    // The same product installed before, with a file of the user's where
    // an item goes and the user's own lines in .profile.
    Machine earlier{base.Path() / "earlier"};
    earlier.Make();
    WriteFileBytes(earlier.Home() / ".profile", "export EDITOR=vi\n");
    ASSERT_EQ(WaitFor(StartInstall(product.Build(), earlier)), 0) << ReadFileBytes(earlier.root / "output.txt");
    KillSeries(product, base.Path(), "over", 15, 8122026u, [&earlier](const Machine& machine) {
        // The same tree at another root: paths inside the files differ,
        // which the comparison of before and after does not mind.
        const std::string command = "cp -a '" + earlier.Home().string() + "' '" + machine.root.string() + "/' && cp -a '"
            + earlier.Target().string() + "' '" + machine.root.string() + "/'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    });
}

namespace {

// Every entry below root whose name holds text.
std::vector<std::string> EntriesNamed(const fs::path& root, const std::string& text)
{
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->path().filename().string().find(text) != std::string::npos)
            found.push_back(it->path().string());
    }
    return found;
}

bool ToolExists(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

// A product with a program, a library that renames what is in its way, a
// settings file and a menu entry, made into a build with a deinstaller.
fs::path MakeGizmo(const fs::path& dir)
{
    fs::create_directories(dir / "payload");
    fs::create_directories(dir / "payload");
    WriteFileBytes(dir / "payload/gizmo", "#!/bin/sh\necho gizmo\n");
    fs::permissions(dir / "payload/gizmo", fs::perms::owner_all);
    WriteFileBytes(dir / "payload/libgizmo.so", Noise(5000, 1));
    WriteFileBytes(dir / "payload/gizmo.conf", "colour=blue\n");
    WriteFileBytes(dir / "product.json", R"json({
  "product": {"name": "Gizmo", "version": "1.0", "company": "Makers"},
  "groups": [{"name": "Full"}],
  "items": [
    {"path": "payload/gizmo", "groups": ["Full"], "link": "User Deskbar", "link_exists": "Prompt",
     "deinstallable": true,
     "desktop": {"document_types": [{"type": "application/x-gizmo", "comment": "Gizmo file",
                                      "globs": ["*.gizmo"]}]}},
    {"path": "payload/libgizmo.so", "groups": ["Full"], "destination": "User Libraries",
     "destination_exists": "Rename", "deinstallable": true},
    {"path": "payload/gizmo.conf", "groups": ["Full"], "destination": "User Settings",
     "destination_exists": "Rename", "deinstallable": true}
  ],
  "options": {"log": true, "created_folder": "Gizmo", "compression_level": 1}
})json");
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    EXPECT_TRUE(ReadProductDescription((dir / "product.json").string(), {}, description, diagnostics));
    const fs::path build = dir / "GizmoSetup";
    EXPECT_EQ(MakeInstallerBuild(description, (ondelle::test::BuildDir() / "app/ondelle").string(),
                  (ondelle::test::BuildDir() / "app/ondelle-deinstall").string(), build.string()),
        "");
    return build;
}

TEST(ReinstallTest, AReinstallReplacesItsOwnUnchangedFilesAndADeinstallThenRemovesAllOfIt)
{
    TempDir dir;
    const fs::path build = MakeGizmo(dir.Path());
    Machine machine{dir / "machine"};
    machine.Make();
    const std::vector<std::string> install{build.string(), "--unattended", "--accept-license", "--all",
        "--no-launch", "--folder", machine.Target().string()};
    ASSERT_EQ(RunOn(machine, install), 0) << ReadFileBytes(machine.root / "output.txt");
    const std::vector<std::string> entries = EntriesNamed(machine.Home(), ".desktop");
    ASSERT_EQ(entries.size(), 1u);
    const std::vector<std::string> libraries = EntriesNamed(machine.Home(), "libgizmo.so");
    const std::vector<std::string> settings = EntriesNamed(machine.Home(), "gizmo.conf");
    ASSERT_EQ(libraries.size(), 1u);
    ASSERT_EQ(settings.size(), 1u);
    // The product's document type is declared in its MIME package.
    const std::vector<std::string> packages = EntriesNamed(machine.Home() / ".local/share/mime/packages", ".xml");
    ASSERT_EQ(packages.size(), 1u);
    const std::string package = ReadFileBytes(packages[0]);
    EXPECT_NE(package.find("application/x-gizmo"), std::string::npos) << package;
    // The user changes the settings file.
    WriteFileBytes(settings[0], "colour=red\n");

    // The reinstall asks nothing (unattended: "keep" would answer any
    // question) and replaces the product's own files.
    fs::remove(machine.root / "output.txt");
    ASSERT_EQ(RunOn(machine, install), 0) << ReadFileBytes(machine.root / "output.txt");
    const std::string output = ReadFileBytes(machine.root / "output.txt");
    EXPECT_NE(output.find("Updated from version 1.0."), std::string::npos) << output;
    EXPECT_EQ(output.find("already exists"), std::string::npos) << output;
    const std::string log = ReadFileBytes(machine.Target() / "Gizmo/Log");
    EXPECT_NE(log.find("Updated from version 1.0."), std::string::npos) << log;
    EXPECT_EQ(log.find("User desired not to place"), std::string::npos) << log;
    EXPECT_EQ(EntriesNamed(machine.Home(), "libgizmo.so copy"), std::vector<std::string>{});
    EXPECT_EQ(EntriesNamed(machine.Home(), ".desktop").size(), 1u);
    // The reinstall declares the same document type, in the same package.
    EXPECT_EQ(EntriesNamed(machine.Home() / ".local/share/mime/packages", ".xml"), packages);
    EXPECT_EQ(ReadFileBytes(packages[0]), package);
    // The user's changed file follows its rule: kept as a copy.
    EXPECT_EQ(ReadFileBytes(settings[0] + " copy"), "colour=red\n");
    EXPECT_EQ(ReadFileBytes(settings[0]), "colour=blue\n");
    if (ToolExists("desktop-file-validate")) {
        EXPECT_EQ(RunOn(machine, {"/bin/sh", "-c", "desktop-file-validate '" + entries[0] + "'"}), 0)
            << ReadFileBytes(machine.root / "output.txt");
    }

    // The deinstaller of the reinstall removes all of the product.
    const fs::path deinstaller = machine.Target() / "Gizmo/Gizmo 1.0 Deinstaller";
    ASSERT_TRUE(fs::exists(deinstaller)) << ::testing::PrintToString(EntriesNamed(machine.Target(), ""));
    EXPECT_EQ(RunOn(machine, {deinstaller.string(), "--yes"}), 0) << ReadFileBytes(machine.root / "output.txt");
    EXPECT_EQ(EntriesNamed(machine.Home(), ".desktop"), std::vector<std::string>{});
    EXPECT_EQ(EntriesNamed(machine.Home(), "ondelle-Gizmo"), std::vector<std::string>{});
    EXPECT_EQ(EntriesNamed(machine.Home(), "libgizmo"), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(settings[0]));
    EXPECT_EQ(ReadFileBytes(settings[0] + " copy"), "colour=red\n");
    for (const std::string& cache : EntriesNamed(machine.Home(), "mimeinfo.cache"))
        EXPECT_EQ(ReadFileBytes(cache).find("Gizmo"), std::string::npos) << cache;
    if (ToolExists("update-mime-database") && fs::exists(machine.Home() / ".local/share/mime/packages")) {
        for (const auto& package : fs::directory_iterator(machine.Home() / ".local/share/mime/packages"))
            EXPECT_EQ(package.path().filename().string().find("Gizmo"), std::string::npos) << package.path();
    }
}

TEST(ReinstallTest, TheDeinstallerCompletesTheRollbackOfADeadInstallFirst)
{
    TempDir dir;
    const fs::path build = MakeGizmo(dir.Path());
    Machine machine{dir / "machine"};
    machine.Make();
    ASSERT_EQ(RunOn(machine, {build.string(), "--unattended", "--accept-license", "--all", "--no-launch", "--folder",
                  machine.Target().string()}),
        0);
    // What an install killed in the middle leaves: its journal beside the
    // installation folder it made, naming what it placed so far.
    const fs::path stray = machine.Home() / "placed-by-the-dead-job.txt";
    WriteFileBytes(stray, "x");
    WriteFileBytes(machine.Target() / ".Gizmo.ondelle-journal", "ondelle-journal 1\ncreate\t"
        + (machine.Target() / "Gizmo").string() + "\ncreate\t" + stray.string() + "\n");
    fs::remove(machine.root / "output.txt");
    EXPECT_EQ(RunOn(machine, {(machine.Target() / "Gizmo/Gizmo 1.0 Deinstaller").string(), "--yes"}), 0);
    const std::string output = ReadFileBytes(machine.root / "output.txt");
    EXPECT_NE(output.find("was interrupted before it completed"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(stray));
    EXPECT_FALSE(fs::exists(machine.Target() / "Gizmo"));
    EXPECT_FALSE(fs::exists(machine.Target() / ".Gizmo.ondelle-journal"));
}
