// The requirement check before anything is created: disk space, memory,
// shared libraries (the LIBRARY_PATH rule and the dynamic loader's places)
// and applications found by signature.
#include "InstallTestSupport.h"

#include <FindDirectory.h>
#include <LibraryLookup.h>
#include <Node.h>
#include <Roster.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <regex>

using namespace installtest;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// Sets an environment variable for one scope.
class EnvScope {
public:
    EnvScope(const char* name, const std::string& value) : fName(name)
    {
        const char* old = getenv(name);
        fHad = old != nullptr;
        if (fHad)
            fOld = old;
        setenv(name, value.c_str(), 1);
    }
    ~EnvScope()
    {
        if (fHad)
            setenv(fName.c_str(), fOld.c_str(), 1);
        else
            unsetenv(fName.c_str());
    }

private:
    std::string fName;
    std::string fOld;
    bool fHad = false;
};

void ExpectNothingCreated(InstallFixture& fixture)
{
    EXPECT_TRUE(fs::is_empty(fixture.Destination()));
    for (const BAlertRequest& request : fixture.Presenter().Questions())
        EXPECT_EQ(request.text.find("Installation successfully completed."), std::string::npos);
}

void MakeProgram(const fs::path& path, const char* signature)
{
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, "#!/bin/sh\n");
    fs::permissions(path, fs::perms::owner_all);
    BNode node(path.c_str());
    ASSERT_EQ(node.WriteAttr("BEOS:APP_SIG", B_MIME_STRING_TYPE, 0, signature, strlen(signature) + 1),
        ssize_t(strlen(signature) + 1));
}

} // namespace

TEST(Requirements, DiskSpaceRequiredStopsBeforeAnythingIsMade)
{
    InstallFixture fixture;
    fixture.Description().requirements.diskSpaceNeeded = true;
    fixture.Description().requirements.diskSpaceRequired = true;
    fixture.Description().requirements.diskSpaceAmount = 1e15;
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_SPACE);
    ExpectNothingCreated(fixture);
    std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(std::regex_match(questions[0].text,
        std::regex("Installation requires 953674316\\.4 MB of disk space, and the destination volume '.+' only has .+ free\\.")))
        << questions[0].text;
    EXPECT_EQ(fixture.Recorder().Statuses(), std::vector<std::string>{"Checking System Resources..."});
}

TEST(Requirements, SuggestedDiskSpaceWarnsAndSkipsTheLaterTests)
{
    InstallFixture fixture;
    auto& requirements = fixture.Description().requirements;
    requirements.diskSpaceNeeded = true;
    requirements.diskSpaceAmount = 1e15;
    requirements.librariesPresent = true;
    requirements.librariesRequired = true;
    requirements.libraries = {"libnot-there-at-all.so.7"};
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
    ASSERT_GE(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("Installation suggests "), std::string::npos);
    EXPECT_TRUE(fixture.Questions("requirement").empty());
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "a.txt"));
}

TEST(Requirements, MissingMemoryOrRequiredLibraryEndsTheInstaller)
{
    {
        InstallFixture fixture;
        fixture.Description().requirements.ramNeeded = true;
        fixture.Description().requirements.ramRequired = true;
        fixture.Description().requirements.ramMegabytes = 100000000;
        fixture.Add("a.txt", "a");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        ExpectNothingCreated(fixture);
        std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(std::regex_match(questions[0].text,
            std::regex("Installation requires 100000000 MB of physical RAM, and only \\d+ MB is available\\. "
                       "Installation can not continue\\.")))
            << questions[0].text;
    }
    {
        InstallFixture fixture;
        auto& requirements = fixture.Description().requirements;
        requirements.librariesPresent = true;
        requirements.librariesRequired = true;
        requirements.libraries = {"libnot-there-at-all.so.7"};
        fixture.Add("a.txt", "a");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        ExpectNothingCreated(fixture);
        std::vector<BAlertRequest> questions = fixture.Questions("requirement");
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "The shared library 'libnot-there-at-all.so.7' could not be found. The "
            "installation requires that this library be present for the installed software to work properly.");
        EXPECT_EQ(questions[0].buttons, std::vector<std::string>{"Abort"});
        EXPECT_EQ(questions[0].title, "");
        EXPECT_EQ(questions[0].type, B_INFO_ALERT);
    }
}

TEST(Requirements, SuggestedLibraryThenApplicationAskInOrder)
{
    InstallFixture fixture;
    auto& requirements = fixture.Description().requirements;
    requirements.librariesPresent = true;
    requirements.libraries = {"libnot-there-at-all.so.7"};
    requirements.applicationsPresent = true;
    requirements.applications = {"Missing (application/x-vnd.tests-missing)", "No Signature"};
    fixture.Add("a.txt", "a");
    fixture.Load();
    fixture.Presenter().Script(1);
    fixture.Presenter().Script(1);
    fixture.Presenter().Script(0);  // "Abort" at the third
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    std::vector<BAlertRequest> questions = fixture.Questions("requirement");
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_NE(questions[0].text.find("shared library 'libnot-there-at-all.so.7'"), std::string::npos);
    EXPECT_EQ(questions[0].buttons, (std::vector<std::string>{"Abort", "Continue"}));
    EXPECT_EQ(questions[1].text, "The application 'Missing (application/x-vnd.tests-missing)' could not be "
        "found. The installation suggests that this application be present for the installed software to "
        "work properly.");
    EXPECT_NE(questions[2].text.find("'No Signature'"), std::string::npos);
    ExpectNothingCreated(fixture);
}

TEST(Requirements, PresentLibrariesAndApplicationsPassQuietly)
{
    TempDir libraries;
    fs::create_directories(libraries / "first");
    fs::create_directories(libraries / "second");
    WriteFileBytes(libraries / "first/libfirst-only.so.1", "");
    WriteFileBytes(libraries / "second/libtern-path.so.1", "");
    WriteFileBytes(libraries / "libtern-loader.so.2", "");
    EnvScope libraryPath("LIBRARY_PATH",
        (libraries / "first").string() + ":" + (libraries / "second").string());
    EnvScope loaderPath("LD_LIBRARY_PATH", libraries.Path().string());

    MakeProgram(StandardFolder(B_APPS_DIRECTORY) / "Tern Tools/bin/terntool", "application/x-vnd.Tests-TernTool");
    const fs::path menu = StandardFolder(B_USER_DESKBAR_DIRECTORY);
    fs::create_directories(menu / "vendor");
    WriteFileBytes(menu / "ternview.desktop",
        "[Desktop Entry]\nName=Tern View\nExec=/bin/true %U\nX-Ondelle-Signature=application/x-vnd.tests-ternview\n");
    WriteFileBytes(menu / "vendor/org.example.Plain.desktop", "[Desktop Entry]\nName=Plain\nExec=nothing-here\n");

    InstallFixture fixture;
    auto& requirements = fixture.Description().requirements;
    requirements.librariesPresent = true;
    requirements.librariesRequired = true;
    requirements.libraries = {"libtern-path.so.1", "libtern-loader.so.2"};
    requirements.applicationsPresent = true;
    requirements.applicationsRequired = true;
    requirements.applications = {"Tool (APPLICATION/X-VND.TESTS-TERNTOOL)", "Viewer (application/x-vnd.tests-ternview)",
        "Plain (application/vendor-org.example.Plain)"};
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_TRUE(fixture.Questions("requirement").empty());
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "a.txt"));

    // The first folder of LIBRARY_PATH is not searched by that rule.
    InstallConfig config;
    BMessage libraryList;
    libraryList.AddBool("req_shared_librry_req", false);
    libraryList.AddString("req_shared_library_name", "libfirst-only.so.1");
    config.AddMessage("req_shared_library", &libraryList);
    EnvScope noLoaderPath("LD_LIBRARY_PATH", "");
    fixture.Presenter().Script(1);
    EXPECT_EQ(config.CheckSystemResources(), REQUIREMENTS_MET);
    EXPECT_EQ(fixture.Questions("requirement").size(), 1u);
}

TEST(Requirements, RosterFindsProgramsAndMenuEntries)
{
    MakeProgram(StandardFolder(B_APPS_DIRECTORY) / "Finder Test/finder", "application/x-vnd.tests-finder");
    const fs::path menu = StandardFolder(B_USER_DESKBAR_DIRECTORY);
    fs::create_directories(menu);
    WriteFileBytes(menu / "org.tests.Menu.desktop",
        "[Desktop Entry]\nName=Menu\nTryExec=sh\nExec=\"/no/such program\" --x\n");
    BRoster roster;
    entry_ref ref;
    EXPECT_EQ(roster.FindApp("application/x-vnd.tests-finder", &ref), B_OK);
    EXPECT_STREQ(ref.name, "finder");
    EXPECT_EQ(roster.FindApp("org.tests.Menu", &ref), B_OK);
    EXPECT_STREQ(ref.name, "sh");  // TryExec found along PATH
    EXPECT_EQ(roster.FindApp("application/org.tests.menu", &ref), B_OK);
    EXPECT_EQ(roster.FindApp("application/x-vnd.tests-nothing", &ref), B_LAUNCH_FAILED_APP_NOT_FOUND);
    EXPECT_EQ(roster.FindApp("", &ref), B_BAD_VALUE);
    EXPECT_EQ(roster.FindApp(nullptr, &ref), B_BAD_VALUE);
}

namespace {

// Writes a loader cache in the current format with the given entries
// (flags, name, path), optionally preceded by the old format's header.
std::string LoaderCache(const std::vector<std::tuple<int32_t, std::string, std::string>>& entries, bool withOld)
{
    std::string head;
    if (withOld) {
        head.append("ld.so-1.7.0", 11);
        head.push_back('\0');
        uint32_t none = 0;
        head.append(reinterpret_cast<const char*>(&none), 4);
        while (head.size() % 8 != 0)
            head.push_back('\0');
    }
    std::string header("glibc-ld.so.cache1.1", 20);
    std::string table;
    std::string strings;
    const size_t stringsAt = 48 + entries.size() * 24;
    for (const auto& [flags, name, path] : entries) {
        uint32_t key = uint32_t(stringsAt + strings.size());
        strings += name + '\0';
        uint32_t value = uint32_t(stringsAt + strings.size());
        strings += path + '\0';
        uint32_t osVersion = 0;
        uint64_t hwcap = 0;
        table.append(reinterpret_cast<const char*>(&flags), 4);
        table.append(reinterpret_cast<const char*>(&key), 4);
        table.append(reinterpret_cast<const char*>(&value), 4);
        table.append(reinterpret_cast<const char*>(&osVersion), 4);
        table.append(reinterpret_cast<const char*>(&hwcap), 8);
    }
    uint32_t count = uint32_t(entries.size());
    uint32_t length = uint32_t(strings.size());
    header.append(reinterpret_cast<const char*>(&count), 4);
    header.append(reinterpret_cast<const char*>(&length), 4);
    header.append(20, '\0');
    return head + header + table + strings;
}

} // namespace

TEST(LibraryLookup, SearchesLikeTheDynamicLoader)
{
    TempDir dir;
    for (const char* folder : {"env", "cached", "default"})
        fs::create_directories(dir / folder);
    WriteFileBytes(dir / "env/libenv.so.1", "");
    WriteFileBytes(dir / "cached/libcached.so.3", "");
    WriteFileBytes(dir / "cached/libother-arch.so.1", "");
    WriteFileBytes(dir / "default/libdefault.so", "");
    WriteFileBytes(dir / "default/libcached.so.3", "");
    for (bool withOld : {false, true}) {
        SCOPED_TRACE(withOld ? "old and new format" : "new format");
        WriteFileBytes(dir / "ld.so.cache", LoaderCache({
            {0x0303, "libcached.so.3", (dir / "cached/libcached.so.3").string()},
            {0x0003, "libother-arch.so.1", (dir / "cached/libother-arch.so.1").string()},
            {0x0303, "libgone.so.1", (dir / "cached/libgone.so.1").string()},
        }, withOld));
        std::vector<std::pair<std::string, std::string>> entries;
        ASSERT_TRUE(read_loader_cache((dir / "ld.so.cache").c_str(), entries));
#if defined(__x86_64__)
        ASSERT_EQ(entries.size(), 2u);
#endif
        EXPECT_EQ(entries[0].first, "libcached.so.3");

        LibrarySearchPlaces places;
        places.libraryPath = ":" + (dir / "nothing").string() + ":" + (dir / "env").string();
        places.cacheFile = (dir / "ld.so.cache").string();
        places.defaultFolders = {(dir / "default").string()};
        std::string path;
        EXPECT_TRUE(find_shared_library("libenv.so.1", places, &path));
        EXPECT_EQ(path, (dir / "env/libenv.so.1").string());
        EXPECT_TRUE(find_shared_library("libcached.so.3", places, &path));
        EXPECT_EQ(path, (dir / "cached/libcached.so.3").string());  // the cache before the defaults
        EXPECT_TRUE(find_shared_library("libdefault.so", places, &path));
        EXPECT_FALSE(find_shared_library("libgone.so.1", places, &path));  // cached, but deleted since
        EXPECT_FALSE(find_shared_library("..", places, &path));
        EXPECT_FALSE(find_shared_library("", places, &path));
        EXPECT_TRUE(find_shared_library((dir / "env/libenv.so.1").c_str(), places, &path));
    }

    // Damaged caches are refused or their bad entries skipped, never read past their end.
    std::string cache = LoaderCache({{0x0303, "libcached.so.3", "/x"}}, false);
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t cut = 0; cut < cache.size(); cut++) {
        WriteFileBytes(dir / "cut.cache", cache.substr(0, cut));
        read_loader_cache((dir / "cut.cache").c_str(), entries);
        EXPECT_TRUE(entries.empty()) << cut;
    }
    std::string huge = cache;
    uint32_t many = 0x10000000;
    memcpy(huge.data() + 20, &many, 4);
    WriteFileBytes(dir / "huge.cache", huge);
    EXPECT_FALSE(read_loader_cache((dir / "huge.cache").c_str(), entries));
    EXPECT_FALSE(read_loader_cache((dir / "missing.cache").c_str(), entries));
}
