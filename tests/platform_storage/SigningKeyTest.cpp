// Ed25519 keys: the private key file is its owner's alone and never
// overwritten, signatures check only under their own key and data, and
// fingerprints are compared however a person types them.
#include <SigningKey.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(SigningKeyTest, KeyFilesAreWrittenOnceAndThePrivateOneForItsOwnerAlone)
{
    TempDir dir;
    SigningKey key;
    ASSERT_EQ(key.Generate(), "");
    const mode_t old = ::umask(0);
    const std::string written = key.WritePrivate((dir / "vendor.key").string());
    ::umask(old);
    ASSERT_EQ(written, "");
    struct stat st = {};
    ASSERT_EQ(::stat((dir / "vendor.key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(key.WritePublic((dir / "vendor.pub").string()), "");

    // An existing file, or a link placed where the key goes, is refused.
    WriteFileBytes(dir / "taken.key", "mine");
    EXPECT_NE(key.WritePrivate((dir / "taken.key").string()), "");
    EXPECT_EQ(ReadFileBytes(dir / "taken.key"), "mine");
    std::filesystem::create_symlink(dir / "elsewhere", dir / "link.key");
    EXPECT_NE(key.WritePrivate((dir / "link.key").string()), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));

    SigningKey privateKey;
    ASSERT_EQ(privateKey.ReadPrivate((dir / "vendor.key").string()), "");
    EXPECT_TRUE(privateKey.HasPrivate());
    SigningKey publicKey;
    ASSERT_EQ(publicKey.ReadPublic((dir / "vendor.pub").string()), "");
    EXPECT_FALSE(publicKey.HasPrivate());
    EXPECT_EQ(privateKey.Fingerprint(), key.Fingerprint());
    EXPECT_EQ(publicKey.Fingerprint(), key.Fingerprint());

    // A public key is no private key, and errors never quote the file.
    SigningKey wrong;
    const std::string error = wrong.ReadPrivate((dir / "vendor.pub").string());
    EXPECT_NE(error, "");
    EXPECT_EQ(error.find("BEGIN"), std::string::npos);
}

TEST(SigningKeyTest, ASignatureChecksOnlyUnderItsKeyAndForItsData)
{
    SigningKey key;
    SigningKey other;
    ASSERT_EQ(key.Generate(), "");
    ASSERT_EQ(other.Generate(), "");
    const std::string data = "manifest bytes";
    const std::vector<uint8_t> signature = key.Sign(data.data(), data.size());
    ASSERT_EQ(signature.size(), SigningKey::kSignatureSize);

    SigningKey verifier;
    const std::vector<uint8_t> raw = key.PublicBytes();
    ASSERT_EQ(verifier.SetPublic(raw.data(), raw.size()), "");
    EXPECT_TRUE(verifier.Verify(data.data(), data.size(), signature.data(), signature.size()));
    EXPECT_FALSE(other.Verify(data.data(), data.size(), signature.data(), signature.size()));
    const std::string changed = "manifest bytez";
    EXPECT_FALSE(verifier.Verify(changed.data(), changed.size(), signature.data(), signature.size()));
    std::vector<uint8_t> flipped = signature;
    flipped[10] ^= 1;
    EXPECT_FALSE(verifier.Verify(data.data(), data.size(), flipped.data(), flipped.size()));
    EXPECT_FALSE(verifier.Verify(data.data(), data.size(), signature.data(), signature.size() - 1));
    // Only the private half signs.
    EXPECT_TRUE(verifier.Sign(data.data(), data.size()).empty());
    EXPECT_NE(verifier.SetPublic(raw.data(), raw.size() - 1), "");
}

TEST(SigningKeyTest, FingerprintsAreComparedHoweverTheyAreTyped)
{
    const std::string plain(64, 'a');
    std::string typed;
    for (size_t i = 0; i < 64; i += 2)
        typed += (i > 0 ? ":" : "") + std::string("AA");
    EXPECT_EQ(SigningKey::NormalizeFingerprint(typed), plain);
    EXPECT_EQ(SigningKey::NormalizeFingerprint("aaaa aaaa" + std::string(56, 'a')), plain);
    EXPECT_EQ(SigningKey::NormalizeFingerprint(std::string(63, 'a')), "");
    EXPECT_EQ(SigningKey::NormalizeFingerprint(std::string(63, 'a') + "g"), "");
}
