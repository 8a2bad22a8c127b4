// SHA-256 checksums of data in pieces and of whole files.
#include <DataDigest.h>
#include <FileDigest.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <algorithm>
#include <string>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

const char kEmptyDigest[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const char kAbcDigest[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

} // namespace

TEST(DigestTest, KnownValuesAndPiecesGiveTheSameDigest)
{
    DataDigest digest;
    EXPECT_EQ(digest.Finish(), kEmptyDigest);
    digest.Add("abc", 3);
    EXPECT_EQ(digest.Finish(), kAbcDigest);
    // Finishing starts afresh, and pieces of any size add up to the whole.
    digest.Add("a", 1);
    digest.Add("", 0);
    digest.Add("bc", 2);
    EXPECT_EQ(digest.Finish(), kAbcDigest);

    std::string large(1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < large.size(); i++)
        large[i] = char(i * 31 + i / 7);
    digest.Add(large.data(), large.size());
    const std::string whole = digest.Finish();
    for (size_t at = 0; at < large.size(); at += 4099)
        digest.Add(large.data() + at, std::min<size_t>(4099, large.size() - at));
    EXPECT_EQ(digest.Finish(), whole);
    EXPECT_EQ(whole.size(), 64u);
}

TEST(DigestTest, FileDigestMatchesTheDataAndReportsMissingFiles)
{
    TempDir dir;
    std::string bytes(600 * 1024, 'q');
    bytes[12345] = 'x';
    WriteFileBytes(dir / "file", bytes);
    WriteFileBytes(dir / "empty", "");
    DataDigest digest;
    digest.Add(bytes.data(), bytes.size());
    std::string fromFile;
    ASSERT_EQ(file_digest((dir / "file").c_str(), &fromFile), B_OK);
    EXPECT_EQ(fromFile, digest.Finish());
    ASSERT_EQ(file_digest((dir / "empty").c_str(), &fromFile), B_OK);
    EXPECT_EQ(fromFile, kEmptyDigest);

    EXPECT_EQ(file_digest((dir / "missing").c_str(), &fromFile), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(file_digest(dir.Path().c_str(), &fromFile), B_IO_ERROR);
    EXPECT_EQ(file_digest(nullptr, &fromFile), B_BAD_VALUE);
}
