// Checking an archive without unpacking it gives the answer unpacking
// gives: the same refusals, entry by entry, and nothing written.
#include "ZipExtractor.h"

#include "TestSupport.h"
#include "ZipBytes.h"

#include <gtest/gtest.h>

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
