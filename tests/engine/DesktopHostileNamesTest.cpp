// Product and item names from a build, hostile or merely unusual, in the
// files written for the desktop: they stay text inside their comment or
// value as the desktop's own readers take it (the shell, systemd's
// environment.d rules, desktop-file-validate), every product gets files of
// its own, and a file another product placed is never replaced.
#include <ControlCharacters.h>
#include <DeinstallTag.h>
#include <DesktopEntry.h>
#include <DesktopIntegration.h>
#include <FindDirectory.h>
#include <Path.h>
#include <Process.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// The assignments of an environment.d file, read by the rules of systemd's
// environment file reader: "#" or ";" starts a comment that a line end or
// carriage return ends (a backslash escapes the next character, so a
// trailing one joins the next line), KEY=VALUE otherwise, a value in
// double quotes with backslash escapes, a line without "=" ignored.
std::map<std::string, std::string> ReadEnvironmentFile(const std::string& text)
{
    enum { kPreKey, kKey, kValue, kQuoted, kQuotedEscape, kComment, kCommentEscape } state = kPreKey;
    std::map<std::string, std::string> result;
    std::string key;
    std::string value;
    auto isNewline = [](char c) { return c == '\n' || c == '\r'; };
    auto finish = [&] {
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        result[key] = value;
        key.clear();
        value.clear();
    };
    for (const char c : text + "\n") {
        switch (state) {
            case kPreKey:
                if (c == '#' || c == ';')
                    state = kComment;
                else if (!isNewline(c) && c != ' ' && c != '\t') {
                    key = c;
                    state = kKey;
                }
                break;
            case kKey:
                if (isNewline(c)) {
                    key.clear();
                    state = kPreKey;
                } else if (c == '=') {
                    state = kValue;
                } else {
                    key += c;
                }
                break;
            case kValue:
                if (isNewline(c)) {
                    finish();
                    state = kPreKey;
                } else if (c == '"') {
                    state = kQuoted;
                } else {
                    value += c;
                }
                break;
            case kQuoted:
                if (c == '"')
                    state = kValue;
                else if (c == '\\')
                    state = kQuotedEscape;
                else
                    value += c;
                break;
            case kQuotedEscape:
                value += c;
                state = kQuoted;
                break;
            case kComment:
                if (c == '\\')
                    state = kCommentEscape;
                else if (isNewline(c))
                    state = kPreKey;
                break;
            case kCommentEscape:
                state = kComment;
                break;
        }
    }
    return result;
}

process_result RunTool(const std::vector<std::string>& arguments)
{
    process_options options;
    options.captureOutput = true;
    process_result result;
    EXPECT_EQ(run_process(arguments, options, &result), B_OK) << arguments[0];
    return result;
}

// True when every line of a desktop entry is a group header or a key:
// nothing of a value spilled onto a line of its own, and no raw control
// character but the line ends.
void ExpectWellFormedEntry(const std::string& path)
{
    const std::string text = ReadFileBytes(path);
    for (const char c : text)
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << path;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        EXPECT_TRUE(line == "[Desktop Entry]" || line.find('=') != std::string::npos) << line;
        start = end + 1;
    }
    if (!find_program("desktop-file-validate").empty()) {
        const process_result check = RunTool({"desktop-file-validate", path});
        EXPECT_EQ(check.exitCode, 0) << check.output << check.errorOutput;
    }
}

} // namespace

TEST(DesktopHostileNames, AProductNameWithLineEndsStaysInsideItsComments)
{
    TempDir dir;
    const fs::path pwned = dir / "pwned";
    const fs::path startup = dir / "startup";
    fs::create_directories(startup);
    // A line end makes a shell command and an assignment for systemd, a
    // carriage return ends a systemd comment too, a trailing backslash
    // would join a comment with the next line, and an OSC sequence
    // retitles a terminal.
    const std::string product = "Evil\ntouch " + pwned.string() + "\nLD_PRELOAD=/evil.so\rPATH=/evil\x1b]0;t\x07\\";
    std::vector<std::string> log;
    DesktopIntegration desktop(product, product + ";1;;;;", [&](const std::string& line) { log.push_back(line); });
    desktop.SetStartupFolder(startup.string());
    desktop.SetLoginCommands("true");
    ASSERT_EQ(desktop.PlaceSessionEnvironment("export HOSTILE_TEST=1\n"), B_OK);
    desktop.Finish();
    EXPECT_TRUE(desktop.Failures().empty());

    // The login script: well-formed, and running it runs no line of the
    // name.
    const std::string script = desktop.LoginScriptPath();
    ASSERT_TRUE(fs::is_regular_file(script));
    EXPECT_EQ(RunTool({"/bin/sh", "-n", script}).exitCode, 0);
    const process_result ran = RunTool({"/usr/bin/env", "-i", "HOME=" + dir.Path().string(), "/bin/sh", script});
    EXPECT_EQ(ran.exitCode, 0) << ran.errorOutput;
    EXPECT_FALSE(fs::exists(pwned));

    // The environment file, as systemd reads it: only the section's
    // variable.
    const std::map<std::string, std::string> environment
        = ReadEnvironmentFile(ReadFileBytes(desktop.SessionEnvironmentPath()));
    EXPECT_EQ(environment, (std::map<std::string, std::string>{{"HOSTILE_TEST", "1"}}));

    // The login entry: valid, the name escaped, no control sequence raw.
    ExpectWellFormedEntry(desktop.LoginEntryPath());

    // The log, which the installer may show, holds no escape sequence of
    // the name.
    for (const std::string& line : log)
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
    fs::remove(desktop.LoginScriptPath());
    fs::remove(desktop.LoginEntryPath());
    fs::remove(desktop.SessionEnvironmentPath());
    fs::remove(desktop.MimePackagePath());
}

TEST(DesktopHostileNames, ControlCharactersInItemNamesNeverReachAMenuEntryRaw)
{
    TempDir dir;
    BPath menuPath;
    ASSERT_EQ(find_directory(B_USER_DESKBAR_DIRECTORY, &menuPath, true), B_OK);
    const fs::path menu = fs::path(menuPath.Path()) / "HostileTests";
    fs::create_directories(menu);
    std::vector<std::string> log;
    DesktopIntegration desktop("Hostile Items", "Hostile Items;1;;;;",
        [&](const std::string& line) { log.push_back(line); });

    // A line end and a tab have escapes of the entry format: the entry is
    // written, valid, and its command names the item exactly.
    const fs::path spaced = dir / "two\nlines\tnotes.txt";
    WriteFileBytes(spaced, "x");
    std::string entryPath;
    ASSERT_EQ(desktop.PlaceMenuEntry(menu.string(), spaced.string(), "", entryPath), B_OK);
    ExpectWellFormedEntry(entryPath);
    EXPECT_NE(ReadFileBytes(entryPath).find("\nName=two\\nlines\\tnotes.txt\n"), std::string::npos);

    // An escape sequence has none: no entry, and the log shows the name
    // escaped.
    const fs::path titled = dir / "notes\x1b]0;pwned\x07.txt";
    WriteFileBytes(titled, "x");
    EXPECT_EQ(desktop.PlaceMenuEntry(menu.string(), titled.string(), "", entryPath), B_BAD_VALUE);
    EXPECT_FALSE(fs::exists(entryPath));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().find('\x1b'), std::string::npos);
    EXPECT_NE(log.back().find("notes\\x1b]0;pwned\\x07.txt"), std::string::npos) << log.back();

    // A name value (a product's) never carries one raw either.
    const std::string value = DesktopEntry::EscapeValue("A\x1b]0;t\x07\xc2\x9b" "B");
    EXPECT_EQ(value, "A\xef\xbf\xbd]0;t\xef\xbf\xbd\xef\xbf\xbd" "B");
    EXPECT_FALSE(DesktopEntry::CanCarry("a\x1b"));
    EXPECT_TRUE(DesktopEntry::CanCarry("a\nb\tc\xc3\xa9"));
    fs::remove_all(menu);
    fs::remove_all(fs::path(DesktopIntegration::UserDataFolder()) / "icons");
}

TEST(DesktopHostileNames, TextsForTheTerminalAndForCommentsCarryNoControlCharacter)
{
    EXPECT_EQ(TerminalText("a\x1b]0;t\x07\\b\xc2\x9b" "c\xc3\xa9"), "a\\x1b]0;t\\x07\\x5cb\\xc2\\x9bc\xc3\xa9");
    EXPECT_EQ(TerminalMessageText("line\n\tpath\\x\x1b[2J"), "line\n\tpath\\x\\x1b[2J");
    EXPECT_EQ(CommentText("a\nb\rc\\\x7f\xc2\x85" "d"), "a?b?c???d");
    EXPECT_TRUE(HasControlCharacter("a\xc2\x9b"));
    EXPECT_FALSE(HasControlCharacter("caf\xc3\xa9 \xe5\x86\x99"));
}

TEST(DesktopHostileNames, EveryProductGetsFilesOfItsOwn)
{
    auto quiet = [](const std::string&) {};
    // Names in another script, and names that differ only in characters a
    // file name of the desktop cannot hold.
    const DesktopIntegration photos("\xe5\x86\x99\xe7\x9c\x9f", "p;1;;;;", quiet);
    const DesktopIntegration videos("\xe5\x8b\x95\xe7\x94\xbb", "v;1;;;;", quiet);
    EXPECT_NE(photos.ProductId(), videos.ProductId());
    EXPECT_NE(photos.SessionEnvironmentPath(), videos.SessionEnvironmentPath());
    EXPECT_NE(photos.LoginScriptPath(), videos.LoginScriptPath());
    const DesktopIntegration spaced("My App", "a;1;;;;", quiet);
    const DesktopIntegration dashed("My-App", "b;1;;;;", quiet);
    EXPECT_NE(spaced.ProductId(), dashed.ProductId());
    EXPECT_EQ(dashed.ProductId(), "ondelle-My-App");
    // Items of two products, and two items of one product.
    EXPECT_NE(spaced.MenuEntryLeaf("/a/Tool"), dashed.MenuEntryLeaf("/b/Tool"));
    EXPECT_NE(dashed.MenuEntryLeaf("/a/My App"), dashed.MenuEntryLeaf("/a/My-App"));

    // A name too long for a file name is cut and marked, and the files are
    // written.
    const std::string longName(250, 'L');
    DesktopIntegration longOne(longName, longName + ";1;;;;", quiet);
    EXPECT_LE(fs::path(longOne.SessionEnvironmentPath()).filename().string().size(), 100u);
    EXPECT_NE(longOne.ProductId(), DesktopIntegration(longName + "M", "m;1;;;;", quiet).ProductId());
    ASSERT_EQ(longOne.PlaceSessionEnvironment("LONG_TEST=1"), B_OK);
    longOne.SetLoginCommands("true");
    longOne.Finish();
    EXPECT_TRUE(longOne.Failures().empty());
    for (const std::string& path : {longOne.SessionEnvironmentPath(), longOne.LoginScriptPath(),
             longOne.LoginEntryPath(), longOne.MimePackagePath()}) {
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
        fs::remove(path);
    }
}

TEST(DesktopHostileNames, AFileOfAnotherProductOrOfTheUserIsNeverReplaced)
{
    auto quiet = [](const std::string&) {};
    DesktopIntegration first("Owned Test", "Owned Test;1;;;;", quiet);
    const std::string path = first.SessionEnvironmentPath();
    fs::create_directories(fs::path(path).parent_path());

    // Another product's file under this product's name (a forged or
    // colliding one), then the user's own untagged file: kept, and the
    // failure said.
    for (const char* owner : {"Other;1;;;;", ""}) {
        WriteFileBytes(path, "KEEP=1\n");
        if (*owner != '\0')
            TagForDeinstall(path.c_str(), owner);
        std::vector<std::string> log;
        DesktopIntegration desktop("Owned Test", "Owned Test;1;;;;",
            [&](const std::string& line) { log.push_back(line); });
        EXPECT_NE(desktop.PlaceSessionEnvironment("OWNED_TEST=1"), B_OK);
        EXPECT_EQ(ReadFileBytes(path), "KEEP=1\n");
        ASSERT_EQ(desktop.Failures().size(), 1u);
        EXPECT_NE(desktop.Failures()[0].find(path), std::string::npos);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().rfind("Not replaced: " + path, 0), 0u) << log.back();
        fs::remove(path);
    }

    // The product's own file, of this or an earlier version, is replaced.
    ASSERT_EQ(first.PlaceSessionEnvironment("OWNED_TEST=1"), B_OK);
    DesktopIntegration second("Owned Test", "Owned Test;2;;;;", quiet);
    EXPECT_EQ(second.PlaceSessionEnvironment("OWNED_TEST=2"), B_OK);
    EXPECT_NE(ReadFileBytes(path).find("OWNED_TEST=\"2\""), std::string::npos);
    EXPECT_TRUE(second.Failures().empty());
    fs::remove(path);
}

TEST(DesktopHostileNames, ThisProductsFilesUnderTheFormerNamesGoOthersStay)
{
    // Earlier versions named the files of "Former Name" by the character
    // rule alone: "ondelle-Former-Name", which is also the name product
    // "Former-Name" has now.
    std::vector<std::string> log;
    DesktopIntegration desktop("Former Name", "Former Name;1.0;;;;",
        [&](const std::string& line) { log.push_back(line); });
    auto former = [](const std::string& path, const std::string& leaf) {
        return fs::path(path).parent_path() / leaf;
    };
    const fs::path script = former(desktop.LoginScriptPath(), "ondelle-Former-Name.sh");
    const fs::path entry = former(desktop.LoginEntryPath(), "ondelle-Former-Name.desktop");
    const fs::path environment = former(desktop.SessionEnvironmentPath(), "60-ondelle-Former-Name.conf");
    for (const fs::path& path : {script, entry, environment}) {
        fs::create_directories(path.parent_path());
        WriteFileBytes(path, "former\n");
    }
    TagForDeinstall(script.c_str(), "Former Name;0.9;;;;");
    TagForDeinstall(environment.c_str(), "Former-Name;1;;;;");
    // entry: the user's own, untagged.

    ASSERT_EQ(desktop.PlaceSessionEnvironment("FORMER_TEST=1"), B_OK);
    desktop.SetLoginCommands("true");
    desktop.Finish();
    EXPECT_TRUE(desktop.Failures().empty());
    EXPECT_FALSE(fs::exists(script)) << "this product's earlier login script runs no more";
    EXPECT_EQ(ReadFileBytes(entry), "former\n");
    EXPECT_EQ(ReadFileBytes(environment), "former\n");
    EXPECT_TRUE(fs::is_regular_file(desktop.LoginScriptPath()));
    EXPECT_NE(std::find(log.begin(), log.end(), "Removed " + script.string()
        + ", placed by an earlier installation under the former name"), log.end());
    for (const std::string& path : {desktop.LoginScriptPath(), desktop.LoginEntryPath(),
             desktop.SessionEnvironmentPath(), desktop.MimePackagePath(), entry.string(), environment.string()})
        fs::remove(path);
}
