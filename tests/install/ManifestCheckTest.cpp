// Every file the job unpacks is checked against the build's manifest before
// its item is placed: a file that differs (the build changed after it was
// verified) places nothing of its item, ends the item loop, and says which
// file; with the true manifest every item installs. Both ways of unpacking
// are covered: ahead of the items' turns by workers, and at each turn.
#include "InstallTestSupport.h"

#include <BuildVerifier.h>
#include <ConfigFields.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

using namespace installtest;

namespace {

void MakeProduct(InstallFixture& fixture)
{
    fixture.AddFolder("First");
    fixture.Add("second.txt", "the second item\n");
    fixture.Add("third.txt", "the third item\n");
    fixture.Load();
}

} // namespace

TEST(ManifestCheck, AFileThatDiffersFromTheManifestEndsTheItemsAndTakesBackWhatWasPlaced)
{
    for (const int32 workers : {0, 2}) {
        SCOPED_TRACE(workers);
        InstallFixture fixture;
        MakeProduct(fixture);
        BuildVerification verification = VerifyBuild(fixture.Build().string());
        ASSERT_EQ(verification.state, BuildVerification::State::kWhole);
        auto manifest = std::make_shared<BuildManifest>(verification.manifest);
        ManifestArchive* second = nullptr;
        for (ManifestArchive& archive : manifest->archives)
            if (archive.id == kFirstItemResourceId + 1)
                second = &archive;
        ASSERT_NE(second, nullptr);
        ASSERT_EQ(second->files.size(), 1u);
        second->files[0].digest[0] ^= 1;

        fixture.Config().SetUnpackWorkers(workers);
        fixture.Config().SetManifest(manifest);
        fixture.Run();
        EXPECT_TRUE(fixture.Config().ManifestMismatch());
        EXPECT_NE(fixture.Config().ManifestMismatchText().find("\"second.txt\" differs from the manifest"),
            std::string::npos)
            << fixture.Config().ManifestMismatchText();
        // What came before the changed file is taken back with the rest.
        EXPECT_FALSE(fs::exists(fixture.InstallFolder())) << "the install kept items of a changed build";
    }
}

TEST(ManifestCheck, WithTheTrueManifestEveryItemInstalls)
{
    for (const int32 workers : {0, 2}) {
        SCOPED_TRACE(workers);
        InstallFixture fixture;
        MakeProduct(fixture);
        BuildVerification verification = VerifyBuild(fixture.Build().string());
        ASSERT_EQ(verification.state, BuildVerification::State::kWhole);
        fixture.Config().SetUnpackWorkers(workers);
        fixture.Config().SetManifest(std::make_shared<BuildManifest>(verification.manifest));
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_FALSE(fixture.Config().ManifestMismatch());
        EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "First/sub/deep.txt"));
        EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "third.txt"));
        EXPECT_TRUE(fixture.Config().FailedItems().Size() == 0);
    }
}

TEST(ManifestCheck, PlacedFilesAreComparedByNameSizeAndDigest)
{
    BuildManifest manifest;
    ManifestArchive archive;
    archive.id = kFirstItemResourceId;
    archive.files.push_back({"Kit/a.txt", 6, {}});
    archive.files.push_back({"Kit/sub/b.txt", 5, {}});
    manifest.archives.push_back(archive);
    const std::string zero = Sha256Text(Sha256Digest{});
    std::vector<ZipPlacedEntry> placed(3);
    placed[0].name = "";
    placed[0].kind = ZipEntrySummary::kFolder;
    placed[1].name = "a.txt";
    placed[1].size = 6;
    placed[1].detail = zero;
    placed[2].name = "sub/b.txt";
    placed[2].size = 5;
    placed[2].detail = zero;
    EXPECT_EQ(CheckPlacedFiles(manifest, kFirstItemResourceId, "Kit", placed), "");

    std::vector<ZipPlacedEntry> changed = placed;
    changed[2].size = 4;
    EXPECT_NE(CheckPlacedFiles(manifest, kFirstItemResourceId, "Kit", changed).find("Kit/sub/b.txt\" differs"),
        std::string::npos);
    changed = placed;
    changed[1].name = "c.txt";
    EXPECT_NE(CheckPlacedFiles(manifest, kFirstItemResourceId, "Kit", changed).find("not in the manifest"),
        std::string::npos);
    changed = placed;
    changed.pop_back();
    EXPECT_NE(CheckPlacedFiles(manifest, kFirstItemResourceId, "Kit", changed).find("was not unpacked"),
        std::string::npos);
    EXPECT_NE(CheckPlacedFiles(manifest, kFirstItemResourceId + 1, "Kit", placed), "");
}
