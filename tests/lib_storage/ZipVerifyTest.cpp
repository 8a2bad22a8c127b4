// Checking an archive without unpacking it gives the answer unpacking
// gives: the same refusals, entry by entry, and nothing written.
#include "ZipExtractor.h"

#include "TestSupport.h"
#include "ZipBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::MakeStoredZip;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using ondelle::test::ZipBytesEntry;

namespace {

constexpr uint32_t kLink = 0120777;

struct Checked {
    status_t status;
    std::string problems;
    std::vector<std::string> entries;
};

Checked Verify(const fs::path& archive)
{
    Checked result;
    result.status = ZipExtractor::Verify(archive.c_str(),
        [&](const std::string& problem) { result.problems += problem + "\n"; },
        [&](const ZipEntrySummary& entry) { result.entries.push_back(entry.name); });
    return result;
}

} // namespace

TEST(ZipVerify, RefusesWhatUnpackingRefusesAndWritesNothing)
{
    TempDir dir;
    struct Case {
        const char* label;
        std::vector<ZipBytesEntry> entries;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"absolute", {{"/tmp/ondelle-verify-absolute", "bad"}}, "absolute name"},
        {"dotdot", {{"fine/../../ondelle-verify-up", "bad"}}, "\"..\" component"},
        {"escaping link", {{"up", "../..", kLink}}, "link target points outside"},
        {"absolute link", {{"abs", "/etc", kLink}}, "absolute path outside"},
        {"through link", {{"inside", ".", kLink}, {"inside/file", "bad"}}, "runs through a symbolic link"},
        {"nul", {{std::string("a\0b.txt", 7), "bad"}}, "NUL character"},
        {"local name", {{"a.txt", "bad", 0100644, "b.txt"}}, "local header names another file"},
        {"file as folder", {{"plain", "x"}, {"plain/inside", "y"}}, "plain/inside"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.label);
        const fs::path archive = dir / "hostile.zip";
        WriteFileBytes(archive, MakeStoredZip(test.entries));
        const Checked checked = Verify(archive);
        EXPECT_NE(checked.status, B_OK);
        EXPECT_NE(checked.problems.find(test.problem), std::string::npos) << checked.problems;

        // Unpacking, the installer's way, refuses it as well.
        const fs::path target = dir / "target";
        fs::remove_all(target);
        fs::create_directory(target);
        testing::internal::CaptureStderr();
        EXPECT_NE(ZipExtractor::Extract(archive.c_str(), target.c_str()), B_OK);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(test.problem), std::string::npos) << errors;
    }
    EXPECT_FALSE(fs::exists("/tmp/ondelle-verify-absolute"));
    EXPECT_FALSE(fs::exists(dir / "ondelle-verify-up"));
}

TEST(ZipVerify, DamagedAndTruncatedArchivesAreProblems)
{
    TempDir dir;
    const std::string whole = MakeStoredZip({{"dir/", "", 040755}, {"dir/text", std::string(3000, 't')},
        {"dir/link", "text", kLink}});
    const fs::path archive = dir / "a.zip";
    WriteFileBytes(archive, whole);
    const Checked good = Verify(archive);
    EXPECT_EQ(good.status, B_OK) << good.problems;
    EXPECT_EQ(good.problems, "");
    EXPECT_EQ(good.entries, (std::vector<std::string>{"dir/", "dir/text", "dir/link"}));

    for (size_t cut : {whole.size() / 2, whole.size() - 10}) {
        WriteFileBytes(archive, whole.substr(0, cut));
        EXPECT_NE(Verify(archive).status, B_OK) << cut;
    }
    std::string damaged = whole;
    damaged[damaged.find(std::string(3000, 't')) + 1500] = 'x'; // checksum no longer matches
    WriteFileBytes(archive, damaged);
    const Checked crc = Verify(archive);
    EXPECT_NE(crc.status, B_OK);
    EXPECT_NE(crc.problems.find("bad CRC for \"dir/text\""), std::string::npos) << crc.problems;
    EXPECT_TRUE(fs::exists(archive));
}

TEST(ZipVerify, LocalAndCentralNamesMustBeTheSameWhole)
{
    // A local name that only ends like the directory's, one that only
    // starts like it, a shorter one, and names of the same length that
    // differ: a reader of the local headers would unpack another file than
    // the directory names. The installer's unpacking (from a file or in
    // place) and the inspection's check refuse it alike and write nothing
    // of it under either name.
    TempDir dir;
    struct Case {
        const char* label;
        ZipBytesEntry entry;
    };
    const std::vector<Case> cases = {
        {"longer, same ending", {"x.txt", "smuggled", 0100644, "../../x.txt"}},
        {"longer, same start", {"x.txt", "smuggled", 0100644, "x.txt/../../y"}},
        {"shorter", {"dir/x.txt", "smuggled", 0100644, "x.txt"}},
        {"same length", {"x.txt", "smuggled", 0100644, "y.txt"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.label);
        // Inside a larger file as well, the way the installer reads a build.
        const std::string archive = MakeStoredZip({{"first.txt", "first"}, test.entry, {"last.txt", "last"}});
        const std::string before(4099, 'p');
        WriteFileBytes(dir / "hostile.zip", archive);
        WriteFileBytes(dir / "build", before + archive + "trailer");

        const Checked checked = Verify(dir / "hostile.zip");
        EXPECT_NE(checked.status, B_OK);
        // The refusal names the entry (minizip itself already takes a local
        // name of another length for damage).
        const std::string named = "\"" + test.entry.name + "\"";
        EXPECT_NE(checked.problems.find(named), std::string::npos) << checked.problems;
        if (test.entry.localName.size() == test.entry.name.size()) {
            EXPECT_NE(checked.problems.find("local header names another file"), std::string::npos)
                << checked.problems;
        }
        EXPECT_EQ(std::count(checked.entries.begin(), checked.entries.end(), test.entry.name), 0);
        std::string inRange;
        EXPECT_NE(ZipExtractor::VerifyRange((dir / "build").c_str(), off_t(before.size()), archive.size(),
                      [&](const std::string& problem) { inRange += problem + "\n"; },
                      [](const ZipEntrySummary&) {}),
            B_OK);
        EXPECT_EQ(inRange, checked.problems);

        for (const bool range : {false, true}) {
            const fs::path target = dir / "target";
            fs::remove_all(target);
            fs::create_directory(target);
            testing::internal::CaptureStderr();
            const status_t status = range
                ? ZipExtractor::ExtractRange((dir / "build").c_str(), off_t(before.size()), archive.size(),
                      target.c_str())
                : ZipExtractor::Extract((dir / "hostile.zip").c_str(), target.c_str());
            const std::string errors = testing::internal::GetCapturedStderr();
            EXPECT_NE(status, B_OK);
            EXPECT_NE(errors.find(named), std::string::npos) << errors;
            // The refused entry is written under neither name; the others are.
            EXPECT_FALSE(fs::exists(target / test.entry.name));
            EXPECT_FALSE(fs::exists(target / "y"));
            EXPECT_FALSE(fs::exists(target / "y.txt"));
            EXPECT_FALSE(fs::exists(dir / "x.txt"));
            EXPECT_EQ(ondelle::test::ReadFileBytes(target / "last.txt"), "last");
        }
    }
}
