// The manifest's reader takes bytes from a build that may be damaged or
// made to harm: it reads back what was written, and refuses every cut,
// a changed byte, counts larger than the bytes behind them, doubled
// entries and bytes after the end, without reading or allocating past them.
#include <BuildManifest.h>
#include <DataDigest.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

BuildManifest Sample()
{
    BuildManifest manifest;
    manifest.signer = "Gizmo Works";
    ManifestRegion program;
    program.kind = ManifestRegion::kProgram;
    program.length = 4096;
    program.digest[0] = 1;
    manifest.regions.push_back(program);
    ManifestRegion item;
    item.type = 'RAWT';
    item.id = 2100;
    item.name = "Kit";
    item.length = 900;
    item.digest[31] = 2;
    manifest.regions.push_back(item);
    ManifestArchive archive;
    archive.id = 2100;
    archive.files.push_back({"Kit/a.txt", 6, {}});
    archive.files.push_back({"Kit/sub/b.txt", 5, {}});
    archive.files.back().digest[5] = 9;
    manifest.archives.push_back(archive);
    return manifest;
}

// bytes (without a checksum) with their correct checksum appended, as a
// maker of hostile manifests would do.
std::vector<uint8> Sealed(std::vector<uint8> bytes)
{
    DataDigest digest;
    digest.Add(bytes.data(), bytes.size());
    Sha256Digest checksum{};
    EXPECT_TRUE(Sha256FromText(digest.Finish(), checksum));
    bytes.insert(bytes.end(), checksum.begin(), checksum.end());
    return bytes;
}

std::vector<uint8> Unsealed(const BuildManifest& manifest)
{
    std::vector<uint8> bytes = manifest.Serialize();
    bytes.resize(bytes.size() - BuildManifest::kChecksumSize);
    return bytes;
}

void PutU32(std::vector<uint8>& bytes, size_t offset, uint32 value)
{
    for (int i = 0; i < 4; i++)
        bytes[offset + size_t(i)] = uint8(value >> (8 * i));
}

} // namespace

TEST(BuildManifestTest, WhatIsWrittenReadsBackTheSame)
{
    const BuildManifest manifest = Sample();
    const std::vector<uint8> bytes = manifest.Serialize();
    BuildManifest read;
    ASSERT_EQ(read.Parse(bytes.data(), bytes.size()), "");
    EXPECT_EQ(read.signer, "Gizmo Works");
    ASSERT_EQ(read.regions.size(), 2u);
    ASSERT_NE(read.FindProgram(), nullptr);
    EXPECT_EQ(read.FindProgram()->length, 4096u);
    ASSERT_NE(read.FindResource('RAWT', 2100), nullptr);
    EXPECT_EQ(read.FindResource('RAWT', 2100)->name, "Kit");
    EXPECT_EQ(read.FindResource('RAWT', 2100)->digest, manifest.regions[1].digest);
    ASSERT_NE(read.FindArchive(2100), nullptr);
    EXPECT_EQ(read.FindArchive(2100)->files[1].name, "Kit/sub/b.txt");
    EXPECT_EQ(read.FindArchive(2100)->files[1].digest, manifest.archives[0].files[1].digest);
    EXPECT_EQ(read.Serialize(), bytes);
}

TEST(BuildManifestTest, EveryCutAndEveryChangedByteIsRefused)
{
    const std::vector<uint8> bytes = Sample().Serialize();
    BuildManifest read;
    for (size_t size = 0; size < bytes.size(); size++)
        EXPECT_NE(read.Parse(bytes.data(), size), "") << size;
    for (size_t offset = 0; offset < bytes.size(); offset++) {
        std::vector<uint8> changed = bytes;
        changed[offset] ^= 1;
        EXPECT_NE(read.Parse(changed.data(), changed.size()), "") << offset;
        EXPECT_TRUE(read.regions.empty());
    }
    // Cut behind a correct checksum: the records themselves end early.
    const std::vector<uint8> unsealed = Unsealed(Sample());
    for (size_t size = 0; size < unsealed.size(); size++) {
        const std::vector<uint8> cut = Sealed(std::vector<uint8>(unsealed.begin(), unsealed.begin() + long(size)));
        EXPECT_NE(read.Parse(cut.data(), cut.size()), "") << size;
    }
    EXPECT_NE(read.Parse(nullptr, 100), "");
}

TEST(BuildManifestTest, HostileCountsDoubledEntriesAndTrailingBytesAreRefused)
{
    BuildManifest read;
    std::vector<uint8> bytes = Unsealed(Sample());
    // The region count sits after the mark (8) and the signer (2 + 11).
    const size_t regionCount = 8 + 2 + 11;
    for (const uint32 count : {3u, 0xffffu, 0x10000000u, 0xffffffffu}) {
        std::vector<uint8> hostile = bytes;
        PutU32(hostile, regionCount, count);
        hostile = Sealed(hostile);
        EXPECT_NE(read.Parse(hostile.data(), hostile.size()), "") << count;
    }

    BuildManifest doubled = Sample();
    doubled.regions.push_back(doubled.regions[1]);
    std::vector<uint8> twice = doubled.Serialize();
    EXPECT_NE(read.Parse(twice.data(), twice.size()).find("twice"), std::string::npos);
    doubled = Sample();
    doubled.regions.push_back(doubled.regions[0]);
    twice = doubled.Serialize();
    EXPECT_NE(read.Parse(twice.data(), twice.size()).find("twice"), std::string::npos);
    doubled = Sample();
    doubled.archives.push_back(doubled.archives[0]);
    twice = doubled.Serialize();
    EXPECT_NE(read.Parse(twice.data(), twice.size()).find("twice"), std::string::npos);

    std::vector<uint8> trailing = Unsealed(Sample());
    trailing.push_back(0);
    trailing = Sealed(trailing);
    EXPECT_NE(read.Parse(trailing.data(), trailing.size()).find("follow"), std::string::npos);

    BuildManifest nameless = Sample();
    nameless.archives[0].files[0].name.clear();
    const std::vector<uint8> noName = nameless.Serialize();
    EXPECT_NE(read.Parse(noName.data(), noName.size()), "");
}

TEST(BuildManifestTest, TheSignatureRecordHasOneSizeAndItsMark)
{
    ManifestSignature signature;
    signature.publicKey[0] = 7;
    signature.signature[63] = 8;
    const std::vector<uint8> bytes = signature.Serialize();
    ASSERT_EQ(bytes.size(), ManifestSignature::kSize);
    ManifestSignature read;
    ASSERT_EQ(read.Parse(bytes.data(), bytes.size()), "");
    EXPECT_EQ(read.publicKey, signature.publicKey);
    EXPECT_EQ(read.signature, signature.signature);
    EXPECT_NE(read.Parse(bytes.data(), bytes.size() - 1), "");
    std::vector<uint8> marked = bytes;
    marked[0] = 'X';
    EXPECT_NE(read.Parse(marked.data(), marked.size()), "");
}
