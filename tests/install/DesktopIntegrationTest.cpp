// The installed product as the Linux desktop sees it: the menu entry with
// its icons, the login entry, the environment for login shells and the
// session, the MIME package, the log's paths, and the deinstaller taking
// all of it away again. Everything lies in the test's sandbox.
#include "InstallTestSupport.h"

#include <BitmapPng.h>
#include <DeinstallerConfig.h>
#include <Deinstaller.h>
#include <DesktopIntegration.h>
#include <FindDirectory.h>
#include <Process.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

using namespace installtest;
using ondelle::test::ReadFileBytes;

namespace {

// The keys of a desktop entry's main group, values as written.
std::map<std::string, std::string> ReadEntry(const fs::path& path)
{
    std::map<std::string, std::string> keys;
    std::ifstream stream(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(stream, line)) {
        if (!line.empty() && line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (inGroup && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

// An Exec value read back the way a desktop reads it: the string escapes
// first, then the quoting, then "%%" as a literal "%". Fails the test on a
// malformed value.
std::vector<std::string> ParseExec(const std::string& value)
{
    std::string unescaped;
    for (size_t i = 0; i < value.size(); i++) {
        if (value[i] != '\\' || i + 1 >= value.size()) {
            unescaped += value[i];
            continue;
        }
        const char next = value[++i];
        unescaped += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t'
            : next == 'r' ? '\r' : next;
    }
    std::vector<std::string> arguments;
    std::string current;
    bool inWord = false;
    for (size_t i = 0; i < unescaped.size(); i++) {
        const char c = unescaped[i];
        if (c == ' ') {
            if (inWord)
                arguments.push_back(current);
            current.clear();
            inWord = false;
        } else if (c == '"') {
            inWord = true;
            for (i++; i < unescaped.size() && unescaped[i] != '"'; i++) {
                if (unescaped[i] == '\\') {
                    i++;
                    EXPECT_LT(i, unescaped.size());
                    EXPECT_NE(std::string("\"`$\\").find(unescaped[i]), std::string::npos)
                        << "a backslash may only escape \", `, $ or \\";
                }
                current += unescaped[i];
            }
            EXPECT_LT(i, unescaped.size()) << "unterminated quote in " << value;
        } else {
            EXPECT_EQ(std::string("\t\n\"'\\><~|&;$*?#()`").find(c), std::string::npos)
                << "reserved character outside quotes in " << value;
            inWord = true;
            current += c;
        }
    }
    if (inWord)
        arguments.push_back(current);
    for (std::string& argument : arguments) {
        std::string literal;
        for (size_t i = 0; i < argument.size(); i++) {
            if (argument[i] == '%') {
                EXPECT_TRUE(i + 1 < argument.size() && argument[i + 1] == '%')
                    << "a field code in " << value;
                i++;
            }
            literal += argument[i];
        }
        argument = literal;
    }
    return arguments;
}

// The files below folder (relative paths), leaving out the caches that the
// desktop's tools rebuild from the files.
std::set<std::string> FilesBelow(const fs::path& folder)
{
    std::set<std::string> files;
    if (!fs::exists(folder))
        return files;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
            ++it) {
        const std::string relative = fs::relative(it->path(), folder).string();
        const std::string leaf = it->path().filename().string();
        if (leaf != "mimeinfo.cache" && leaf != "icon-theme.cache")
            files.insert(relative + (it->is_directory() ? "/" : ""));
    }
    return files;
}

// The desktop's folders: menu entries, icons, MIME packages, login entries
// and session environment files.
std::set<std::string> DesktopFiles()
{
    const fs::path data = StandardFolder(B_USER_DESKBAR_DIRECTORY).parent_path();
    const fs::path config = StandardFolder(B_USER_CONFIG_DIRECTORY);
    std::set<std::string> files;
    for (const fs::path& folder : {data / "applications", data / "icons", data / "mime/packages",
             config / "autostart", config / "environment.d"}) {
        files.insert(folder.string() + (fs::exists(folder) ? " (exists)" : ""));
        for (const std::string& file : FilesBelow(folder))
            files.insert(folder.string() + "/" + file);
    }
    return files;
}

process_result RunTool(const std::vector<std::string>& arguments)
{
    process_options options;
    options.captureOutput = true;
    process_result result;
    EXPECT_EQ(run_process(arguments, options, &result), B_OK) << arguments[0];
    return result;
}

bool HaveTool(const char* name)
{
    if (!find_program(name).empty())
        return true;
    ADD_FAILURE() << name << " is missing: scripts/setup-deps.sh installs it";
    return false;
}

} // namespace

TEST(DesktopIntegration, InstalledProductReachesTheDesktopAndTheDeinstallerTakesItAway)
{
    const fs::path data = StandardFolder(B_USER_DESKBAR_DIRECTORY).parent_path();
    const fs::path config = StandardFolder(B_USER_CONFIG_DIRECTORY);
    const fs::path home = StandardFolder(B_USER_DIRECTORY);
    // A desktop as a fresh account has it.
    fs::create_directories(data / "applications");
    fs::create_directories(config / "autostart");
    fs::create_directories(data / "mime/packages");
    const std::set<std::string> before = DesktopFiles();

    InstallFixture fixture;
    // Every character the Exec quoting must get right is in the path.
    const fs::path destination = fixture.Root() / "dest with \"quotes\" 'single' $HOME 100% back\\slash";
    fs::create_directories(destination);
    fixture.SetDestination(destination);
    fixture.AddCustomFolder("StartUp", B_APPS_DIRECTORY, "tern-startup", false);
    ProductItem& notes = fixture.Add("Tern Notes.txt", "notes\n");
    notes.link = "User Deskbar";
    ProductDescription& description = fixture.Description();
    // A product of its own: other tests of this program install "Tern".
    description.appName = "Tern Desk";
    description.optCreateStartup = true;
    description.setupEnvironment = {true, "Tern", "export TERN_HOME=\"$HOME/tern data\""};
    description.bootscript = {true, "TernBoot", "echo started"};
    fixture.Load();
    ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    // The menu entry.
    const fs::path installFolder = destination / description.optCreatedFolder;
    const fs::path installed = installFolder / "Tern Notes.txt";
    // Files named after the product: blanks become "-", and since that
    // loses a character a hash of the whole name follows.
    const DesktopIntegration naming(description.appName, fixture.Config().DeinstallTag(), [](const std::string&) {});
    const std::string id = naming.ProductId();
    EXPECT_EQ(id.rfind("ondelle-Tern-Desk-", 0), 0u) << id;
    EXPECT_EQ(id.size(), std::string("ondelle-Tern-Desk-").size() + 8);
    const fs::path entry = data / "applications" / naming.MenuEntryLeaf("Tern Notes.txt");
    ASSERT_TRUE(fs::is_regular_file(entry));
    EXPECT_FALSE(fs::exists(data / "applications" / "Tern Notes.txt")) << "no bare link";
    if (HaveTool("desktop-file-validate")) {
        const process_result check = RunTool({"desktop-file-validate", entry.string()});
        EXPECT_EQ(check.exitCode, 0) << check.output << check.errorOutput;
    }
    std::map<std::string, std::string> keys = ReadEntry(entry);
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Name"], "Tern Notes.txt");
    EXPECT_EQ(ParseExec(keys["Exec"]), (std::vector<std::string>{"xdg-open", installed.string()}));
    EXPECT_EQ(keys["X-Ondelle-Deinstall-Tag"], fixture.Config().DeinstallTag());

    // Its icons, at the sizes written.
    ASSERT_FALSE(keys["Icon"].empty());
    for (int32 size : {16, 32}) {
        const fs::path icon = data / "icons/hicolor" / (std::to_string(size) + "x" + std::to_string(size))
            / "apps" / (keys["Icon"] + ".png");
        int32 width = 0;
        int32 height = 0;
        ASSERT_TRUE(decode_image_size(ReadFileBytes(icon), &width, &height)) << icon;
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
    }

    // Login: one autostart entry that starts the login script.
    const fs::path login = config / "autostart" / (id + ".desktop");
    ASSERT_TRUE(fs::is_regular_file(login));
    if (HaveTool("desktop-file-validate")) {
        const process_result check = RunTool({"desktop-file-validate", login.string()});
        EXPECT_EQ(check.exitCode, 0) << check.output << check.errorOutput;
    }
    const std::vector<std::string> loginCommand = ParseExec(ReadEntry(login)["Exec"]);
    ASSERT_EQ(loginCommand.size(), 2u);
    EXPECT_EQ(loginCommand[0], "/bin/sh");
    const std::string script = ReadFileBytes(loginCommand[1]);
    EXPECT_NE(script.find("echo started"), std::string::npos);
    EXPECT_NE(script.find("tern-startup"), std::string::npos);

    // Environment for login shells and for the session.
    const process_result shell = RunTool({"/usr/bin/env", "-i", "HOME=" + home.string(), "/bin/sh", "-l",
        "-c", "echo \"$TERN_HOME\""});
    EXPECT_EQ(shell.output, home.string() + "/tern data\n");
    EXPECT_EQ(ReadFileBytes(config / "environment.d" / ("60-" + id + ".conf")),
        "# Placed by Ondelle for " + std::string(fixture.Config().AppName()) + "; removed by its deinstaller.\n"
        "TERN_HOME=\"${HOME}/tern data\"\n");

    // The document types: well-formed XML that the MIME tool compiles.
    const fs::path package = data / "mime/packages" / (id + ".xml");
    ASSERT_TRUE(fs::is_regular_file(package));
    if (HaveTool("xmllint")) {
        EXPECT_EQ(RunTool({"xmllint", "--noout", package.string()}).exitCode, 0);
    }
    if (HaveTool("update-mime-database")) {
        const process_result update = RunTool({"update-mime-database", (data / "mime").string()});
        EXPECT_EQ(update.exitCode, 0) << update.errorOutput;
        EXPECT_TRUE(fs::exists(data / "mime/text/x-vondl.xml"));
    }

    // The log names the real paths, never the platform's own ("/boot/home").
    std::vector<std::string> log;
    {
        std::ifstream stream(installFolder / "Log");
        for (std::string line; std::getline(stream, line);)
            log.push_back(line);
    }
    ASSERT_FALSE(log.empty());
    auto logHas = [&](const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    };
    EXPECT_TRUE(logHas("\t\t\tPlaced the menu entry " + entry.string()));
    EXPECT_TRUE(logHas("\tAdded the login entry " + login.string()));
    EXPECT_TRUE(logHas("\tAdded script tab OndelleEnvironment_Tern to " + (home / ".profile").string()));
    for (const std::string& line : log)
        EXPECT_EQ(line.find("/boot/home"), std::string::npos) << line;

    // The deinstaller takes all of it away, and nothing else.
    BMessage deinstallConfiguration;
    MakeDeinstallerConfiguration(fixture.Config(), deinstallConfiguration);
    Deinstaller deinstaller(deinstallConfiguration);
    ASSERT_EQ(deinstaller.InitCheck(), B_OK);
    deinstaller.AddStandardFolders(installFolder.c_str());
    // As the program does: the installation's record lists the desktop
    // files too, so none of them is kept as "not placed".
    ASSERT_TRUE(deinstaller.LoadRecord(installFolder.c_str()));
    deinstaller.Scan();
    deinstaller.FindScriptSections();
    for (const deinstall_entry& found : deinstaller.Entries())
        EXPECT_EQ(found.keep, "") << found.path;
    EXPECT_EQ(deinstaller.Remove(), 0);

    EXPECT_EQ(DesktopFiles(), before);
    EXPECT_EQ(ReadFileBytes(home / ".profile").find("TERN_HOME"), std::string::npos);
}

namespace {

std::vector<std::string> FailedItems(InstallFixture& fixture)
{
    std::vector<std::string> failed;
    const LibStringList& list = fixture.Config().FailedItems();
    for (const ListNode<LibString>* node = list.OldestNode(); node != nullptr; node = node->Newer())
        failed.push_back((const char*)*node->Item());
    return failed;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(),
        [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

} // namespace

TEST(DesktopIntegration, DesktopFilesThatCannotBeWrittenFailLikeItems)
{
    // The session environment's folder is a file: its file cannot be
    // written. The login script and entry can.
    const fs::path config = StandardFolder(B_USER_CONFIG_DIRECTORY);
    fs::create_directories(config);
    ondelle::test::WriteFileBytes(config / "environment.d", "a file in the folder's place\n");
    InstallFixture fixture;
    fixture.Add("Blocked Notes.txt", "notes\n");
    ProductDescription& description = fixture.Description();
    description.appName = "Blocked Desk";
    description.setupEnvironment = {true, "Blocked", "export BLOCKED_HOME=/x"};
    description.bootscript = {true, "BlockedBoot", "true"};
    fixture.Load();
    ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    const std::vector<std::string> failed = FailedItems(fixture);
    const DesktopIntegration naming(description.appName, "", [](const std::string&) {});
    EXPECT_TRUE(AnyContains(failed, "the session environment " + naming.SessionEnvironmentPath()))
        << ::testing::PrintToString(failed);
    LibString summary;
    fixture.Config().FailureSummary(summary);
    EXPECT_NE(std::string((const char*)summary).find("environment"), std::string::npos) << (const char*)summary;
    EXPECT_TRUE(fs::is_regular_file(naming.LoginScriptPath()));
    fs::remove(config / "environment.d");

    // A name too long for a file name of its own: the files are written
    // under a shortened one, none of them fails.
    InstallFixture longFixture;
    longFixture.Add("Long Notes.txt", "notes\n");
    ProductDescription& longDescription = longFixture.Description();
    longDescription.appName = std::string(250, 'L');
    longDescription.setupEnvironment = {true, "Long", "export LONG_HOME=/x"};
    longDescription.bootscript = {true, "LongBoot", "true"};
    longFixture.Load();
    ASSERT_EQ(longFixture.Run(), INSTALL_RESULT_DONE);
    const DesktopIntegration longNaming(longDescription.appName, "", [](const std::string&) {});
    for (const std::string& path : {longNaming.SessionEnvironmentPath(), longNaming.LoginScriptPath(),
             longNaming.LoginEntryPath()}) {
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_FALSE(AnyContains(FailedItems(longFixture), path));
    }
    // Only the deinstaller, whose name the design makes of the whole product
    // name, is too long; it is said like any failure (the build tool's
    // check refuses such a name).
    const std::vector<std::string> longFailed = FailedItems(longFixture);
    ASSERT_EQ(longFailed.size(), 1u) << ::testing::PrintToString(longFailed);
    EXPECT_NE(longFailed[0].find("Deinstaller (it could not be written)"), std::string::npos);
}
