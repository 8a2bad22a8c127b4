// Signing with the build tool as a program: `key new` writes a key pair
// (the private key for its owner alone, never printed), `make --sign`
// signs with it, `verify` accepts the build under its own key only and
// refuses one without a manifest, and a key file that is no private key is
// an error that does not quote it.
#include "ToolRun.h"
#include "TestSupport.h"

#include <BuildManifest.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

void MakeProduct(const TempDir& dir)
{
    fs::create_directories(dir / "payload");
    WriteFileBytes(dir / "payload/readme.txt", "read me\n");
    WriteFileBytes(dir / "product.json", R"({"product": {"name": "Signed Tool Test", "company": "Quill Labs"},
  "items": [{"path": "payload"}], "options": {"created_folder": "Signed Tool Test"}})");
}

} // namespace

TEST(SigningCommand, KeyNewSignAndVerify)
{
    TempDir dir;
    MakeProduct(dir);
    ToolResult result = RunBuildTool({"key", "new", "vendor"}, dir.Path().string());
    ASSERT_EQ(result.status, 0) << result.err;
    struct stat st = {};
    ASSERT_EQ(::stat((dir / "vendor.key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // The private key's text appears nowhere in what the tool printed.
    const std::string privateText = ReadFileBytes(dir / "vendor.key");
    const size_t body = privateText.find('\n') + 1;
    const std::string secret = privateText.substr(body, 40);
    EXPECT_EQ(result.out.find(secret), std::string::npos);
    EXPECT_EQ(result.err.find(secret), std::string::npos);
    const size_t at = result.out.find("fingerprint: ");
    ASSERT_NE(at, std::string::npos) << result.out;
    const std::string fingerprint = result.out.substr(at + 13, 64);
    // A second key of the same name never replaces the first.
    EXPECT_EQ(RunBuildTool({"key", "new", "vendor"}, dir.Path().string()).status, 1);
    EXPECT_EQ(ReadFileBytes(dir / "vendor.key"), privateText);
    ASSERT_EQ(RunBuildTool({"key", "new", "other"}, dir.Path().string()).status, 0);

    result = RunBuildTool({"make", "product.json", "-o", "Setup", "--sign", "vendor.key", "--no-deinstaller"},
        dir.Path().string());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("signed by Quill Labs, key fingerprint " + fingerprint), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find(secret), std::string::npos);

    result = RunBuildTool({"verify", "Setup", "--key", "vendor.pub"}, dir.Path().string());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Signed by Quill Labs (key fingerprint " + fingerprint + ")"), std::string::npos);
    result = RunBuildTool({"verify", "Setup", "--key", "other.pub"}, dir.Path().string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("another key"), std::string::npos) << result.err;
    result = RunBuildTool({"inspect", "Setup"}, dir.Path().string());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Manifest: Signed by Quill Labs"), std::string::npos) << result.out;

    // A build without its manifest verifies nothing.
    {
        BResources resources;
        ASSERT_EQ(resources.SetTo((dir / "Setup").c_str()), B_OK);
        ASSERT_EQ(resources.RemoveResource(kManifestResourceType, kManifestResourceId), B_OK);
        ASSERT_EQ(resources.RemoveResource(kSignatureResourceType, kSignatureResourceId), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    result = RunBuildTool({"verify", "Setup"}, dir.Path().string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Not verified"), std::string::npos) << result.out;

    // The public key is no private key: an error naming the file alone.
    result = RunBuildTool({"make", "product.json", "-o", "Other", "--sign", "vendor.pub"}, dir.Path().string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("vendor.pub: is not an unprotected private key"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("BEGIN"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "Other"));
}
