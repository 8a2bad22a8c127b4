// Signed and unsigned builds with one byte changed in each of their parts:
// the installer refuses every change before it places a single entry, and
// so does the build tool's inspection, each naming the part; a build signed
// with another key than the one required is refused; a build without a
// manifest still installs, and says it is not verified.
#include "BuildWriter.h"
#include "Inspector.h"
#include "InstallerOptions.h"
#include "ProductDescription.h"
#include "UnattendedInstaller.h"

#include <BuildManifest.h>
#include <BuildVerifier.h>
#include <ConfigFields.h>
#include <ResourceFormat.h>
#include <Resources.h>
#include <SigningKey.h>
#include <TypeConstants.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ondelle::resources;
using ondelle::test::PatternBytes;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

struct InstallRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    std::fclose(file);
    return text;
}

// A product of a folder item and a file item (whose bytes do not compress,
// so that they stand in the archive as they are) with a deinstaller.
class SignedProduct {
public:
    SignedProduct()
    {
        fs::create_directories(fDir / "payload/Kit/sub");
        WriteFileBytes(fDir / "payload/Kit/a.txt", "alpha\n");
        WriteFileBytes(fDir / "payload/Kit/sub/b.txt", "beta\n");
        fFileBytes = PatternBytes(4096, 7);
        WriteFileBytes(fDir / "payload/data.bin", fFileBytes);
        // The real deinstaller: its configuration can be stored only in a
        // program file.
        fs::copy_file(ondelle::test::BuildDir() / "app/ondelle-deinstall", fDir / "Undelle");
        WriteFileBytes(fDir / "product.json", R"json({
  "product": {"name": "Gizmo", "version": "2.0", "company": "Gizmo Works"},
  "items": [{"path": "payload/Kit"}, {"path": "payload/data.bin"}],
  "options": {"created_folder": "Gizmo"}
})json");
        std::vector<ProductDiagnostic> diagnostics;
        EXPECT_TRUE(ReadProductDescription((fDir / "product.json").string(), {}, fDescription, diagnostics));
        EXPECT_EQ(fKey.key.Generate(), "");
        fKey.signer = "Gizmo Works";
        fs::create_directories(fDir / "target");
    }

    fs::path Make(const std::string& name, bool sign)
    {
        const fs::path build = fDir / name;
        EXPECT_EQ(MakeInstallerBuild(fDescription, (ondelle::test::BuildDir() / "app/ondelle").string(),
                      (fDir / "Undelle").string(), build.string(), nullptr, nullptr, sign ? &fKey : nullptr),
            "");
        return build;
    }

    InstallRun Install(const fs::path& build, const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> words{"ondelle", "--unattended", "--folder", Target().string()};
        words.insert(words.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        InstallerOptions options;
        EXPECT_EQ(ParseInstallerOptions(int(argv.size()), argv.data(), options), "");
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        UnattendedInstaller installer(options, out, err);
        InstallRun run;
        run.status = installer.Run(build.string());
        run.out = ReadAll(out);
        run.err = ReadAll(err);
        return run;
    }

    fs::path Target() const { return fDir / "target"; }
    fs::path Installed() const { return fDir / "target/Gizmo"; }
    const std::string& FileBytes() const { return fFileBytes; }
    const BuildSigning& Key() const { return fKey; }

private:
    TempDir fDir;
    ProductDescription fDescription;
    BuildSigning fKey;
    std::string fFileBytes;
};

std::vector<ResourceEntry> ResourcesOf(const fs::path& build, uint64& base)
{
    const int fd = ::open(build.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st = {};
    ::fstat(fd, &st);
    const FdSource source(fd, uint64(st.st_size));
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    EXPECT_EQ(DetectContainer(source, container), B_OK);
    EXPECT_EQ(ReadContainerResources(source, container, entries), B_OK);
    ::close(fd);
    base = container.base;
    return entries;
}

const ResourceEntry* Find(const std::vector<ResourceEntry>& entries, type_code type, int32 id)
{
    for (const ResourceEntry& entry : entries)
        if (entry.type == type && entry.id == id)
            return &entry;
    return nullptr;
}

void FlipByte(const fs::path& path, uint64 offset)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    unsigned char byte = 0;
    ASSERT_EQ(::pread(fd, &byte, 1, off_t(offset)), 1);
    byte ^= 0x20;
    ASSERT_EQ(::pwrite(fd, &byte, 1, off_t(offset)), 1);
    ::close(fd);
}

struct Region {
    std::string label;
    uint64 offset;
    // Words the refusal uses to name the part.
    std::string part;
};

// One byte in each part of build: the program, the configuration, each
// item's archive, a file's bytes inside an archive, the deinstaller, the
// version records, the manifest and (when signed) the signature.
std::vector<Region> RegionsOf(const fs::path& build, const std::string& fileBytes, bool isSigned)
{
    uint64 base = 0;
    const std::vector<ResourceEntry> entries = ResourcesOf(build, base);
    std::vector<Region> regions;
    auto middle = [&](type_code type, int32 id) {
        const ResourceEntry* entry = Find(entries, type, id);
        EXPECT_NE(entry, nullptr) << type << " " << id;
        return entry != nullptr ? entry->offset + entry->size / 2 : 0;
    };
    regions.push_back({"program", base / 2, "the installer program"});
    regions.push_back({"configuration", middle(kConfigResourceType, kConfigResourceId), "the configuration"});
    regions.push_back({"first item", middle(B_RAW_TYPE, kFirstItemResourceId), "the archive of item 1"});
    // The file's own bytes, stored as they are in the second item's archive.
    const std::string bytes = ReadFileBytes(build);
    const size_t file = bytes.find(fileBytes.substr(0, 64));
    EXPECT_NE(file, std::string::npos);
    regions.push_back({"file in the second item", uint64(file) + 100, "the archive of item 2"});
    regions.push_back({"deinstaller", middle(B_RAW_TYPE, kDeinstallerResourceId), "the deinstaller"});
    for (const ResourceEntry& entry : entries)
        if (entry.type == 'APPV')
            regions.push_back({"version records", entry.offset + 10, "resource 'APPV'"});
    // A damaged unsigned manifest fails its own checksum; a signed one is
    // caught by its signature.
    const ResourceEntry* manifest = Find(entries, kManifestResourceType, kManifestResourceId);
    EXPECT_NE(manifest, nullptr);
    if (manifest != nullptr)
        regions.push_back({"manifest", manifest->offset + manifest->size - 5, isSigned ? "the signature" : "the manifest"});
    if (isSigned)
        regions.push_back({"signature", middle(kSignatureResourceType, kSignatureResourceId), "the signature"});
    return regions;
}

void ExpectEveryChangeRefused(SignedProduct& product, const fs::path& build, bool isSigned)
{
    for (const Region& region : RegionsOf(build, product.FileBytes(), isSigned)) {
        SCOPED_TRACE(region.label);
        FlipByte(build, region.offset);

        const InstallRun run = product.Install(build);
        EXPECT_EQ(run.status, UNATTENDED_NOT_VERIFIED) << run.out << run.err;
        EXPECT_NE(run.err.find(region.part), std::string::npos) << run.err;
        // Nothing was placed: not even the installation folder.
        EXPECT_TRUE(fs::is_empty(product.Target()));

        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(InspectFile(build.string(), out, err), 1);
        EXPECT_NE(err.str().find(region.part), std::string::npos) << err.str();
        EXPECT_EQ(out.str().find("The build is whole."), std::string::npos);

        FlipByte(build, region.offset);
    }
}

} // namespace

TEST(SignedBuildTest, AChangedByteAnywhereInASignedBuildIsRefusedBeforeAnythingIsPlaced)
{
    SignedProduct product;
    const fs::path build = product.Make("Signed", true);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(InspectFile(build.string(), out, err), 0) << err.str();
    EXPECT_NE(out.str().find("Signed by Gizmo Works (key fingerprint " + product.Key().key.Fingerprint()),
        std::string::npos)
        << out.str();
    ExpectEveryChangeRefused(product, build, true);
}

TEST(SignedBuildTest, AChangedByteAnywhereInAnUnsignedBuildIsRefusedBeforeAnythingIsPlaced)
{
    SignedProduct product;
    const fs::path build = product.Make("Unsigned", false);
    ExpectEveryChangeRefused(product, build, false);

    // Whole again: it installs, and says that nobody signed it.
    const InstallRun run = product.Install(build);
    EXPECT_EQ(run.status, UNATTENDED_OK) << run.out << run.err;
    EXPECT_NE(run.out.find("not signed"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFileBytes(product.Installed() / "Kit/sub/b.txt"), "beta\n");
}

TEST(SignedBuildTest, ARequiredSignatureAcceptsThatKeyAloneAndTheUserSeesTheSigner)
{
    SignedProduct product;
    const fs::path build = product.Make("Signed", true);
    const fs::path unsignedBuild = product.Make("Unsigned", false);
    SigningKey other;
    ASSERT_EQ(other.Generate(), "");

    InstallRun run = product.Install(build, {"--require-signature", other.Fingerprint()});
    EXPECT_EQ(run.status, UNATTENDED_SIGNATURE_REQUIRED) << run.out << run.err;
    EXPECT_NE(run.err.find("signed by another key"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(product.Target()));

    run = product.Install(unsignedBuild, {"--require-signature", product.Key().key.Fingerprint()});
    EXPECT_EQ(run.status, UNATTENDED_SIGNATURE_REQUIRED) << run.out << run.err;
    EXPECT_NE(run.err.find("not signed"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(product.Target()));

    // The right key, typed in capitals with colons, as people copy it.
    std::string typed;
    const std::string fingerprint = product.Key().key.Fingerprint();
    for (size_t i = 0; i < fingerprint.size(); i += 2)
        typed += (i > 0 ? ":" : "") + fingerprint.substr(i, 2);
    for (char& c : typed)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    run = product.Install(build, {"--require-signature", typed});
    EXPECT_EQ(run.status, UNATTENDED_OK) << run.out << run.err;
    EXPECT_NE(run.out.find("Signed by Gizmo Works (key fingerprint " + fingerprint + ")"), std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFileBytes(product.Installed() / "data.bin"), product.FileBytes());
}

TEST(SignedBuildTest, ABuildWithoutAManifestStillInstallsAndSaysItIsNotVerified)
{
    SignedProduct product;
    const fs::path build = product.Make("Older", false);
    {
        BResources resources;
        ASSERT_EQ(resources.SetTo(build.c_str()), B_OK);
        ASSERT_EQ(resources.RemoveResource(kManifestResourceType, kManifestResourceId), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    const InstallRun run = product.Install(build);
    EXPECT_EQ(run.status, UNATTENDED_OK) << run.out << run.err;
    EXPECT_NE(run.out.find("Not verified"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(product.Installed() / "Kit/a.txt"));
}

TEST(SignedBuildTest, ASignatureWithoutItsManifestIsRefused)
{
    SignedProduct product;
    const fs::path build = product.Make("Signed", true);
    {
        BResources resources;
        ASSERT_EQ(resources.SetTo(build.c_str()), B_OK);
        ASSERT_EQ(resources.RemoveResource(kManifestResourceType, kManifestResourceId), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    const InstallRun run = product.Install(build);
    EXPECT_EQ(run.status, UNATTENDED_NOT_VERIFIED) << run.out << run.err;
    EXPECT_NE(run.err.find("the manifest is missing"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(product.Target()));
}
