// The manifest of an installer build: the SHA-256 of every region of the
// build (the program bytes before the resources, and every resource by type,
// id and name) and of every file inside every item archive, with the name of
// whoever signed it. It travels as a resource of its own; a second resource
// carries the Ed25519 signature over the manifest's exact bytes and the
// signer's public key. The byte layout is described in docs/signing.md.
//
// Parse() reads bytes from anywhere (a damaged or hostile build): every
// length and count is checked against what is left and against fixed
// limits before anything is allocated, and trailing bytes are refused.
#pragma once

#include <SupportDefs.h>

#include <array>
#include <string>
#include <vector>

inline constexpr type_code kManifestResourceType = 'MNFS';
inline constexpr int32 kManifestResourceId = 1;
inline constexpr const char* kManifestResourceName = "manifest";
inline constexpr type_code kSignatureResourceType = 'SIGN';
inline constexpr int32 kSignatureResourceId = 1;
inline constexpr const char* kSignatureResourceName = "signature";

using Sha256Digest = std::array<uint8, 32>;

struct ManifestRegion {
    enum Kind : uint8 { kProgram = 1, kResource = 2 };
    Kind kind = kResource;
    // A resource's type, id and name; zero and empty for the program bytes.
    type_code type = 0;
    int32 id = 0;
    std::string name;
    uint64 length = 0;
    Sha256Digest digest{};
};

struct ManifestFile {
    // The file's name in the archive ("Item/sub/file"), as it was packed.
    std::string name;
    uint64 size = 0;
    Sha256Digest digest{};
};

struct ManifestArchive {
    // The raw resource that holds the archive.
    int32 id = 0;
    std::vector<ManifestFile> files;
};

struct BuildManifest {
    // Limits of what is read: far above any real build, low enough that a
    // hostile count cannot make the reader allocate without bound.
    static constexpr uint32 kMaxRegions = 65536;
    static constexpr uint32 kMaxArchives = 65536;
    static constexpr uint32 kMaxFiles = 1u << 22;
    static constexpr uint32 kMaxNameLength = 4096;
    static constexpr uint32 kMaxSignerLength = 256;
    static constexpr uint64 kMaxSize = 512ull << 20;
    // The manifest ends with the SHA-256 of the bytes before it.
    static constexpr size_t kChecksumSize = 32;

    std::string signer;
    std::vector<ManifestRegion> regions;
    std::vector<ManifestArchive> archives;

    // The manifest's bytes.
    std::vector<uint8> Serialize() const;
    // Reads bytes made by Serialize(). Empty text on success, else what is
    // wrong with them (the manifest is then left empty).
    std::string Parse(const void* data, size_t size);

    const ManifestRegion* FindResource(type_code type, int32 id) const;
    const ManifestRegion* FindProgram() const;
    const ManifestArchive* FindArchive(int32 id) const;
};

// The signature resource: the signer's public key and the signature of the
// manifest's bytes.
struct ManifestSignature {
    static constexpr size_t kSize = 8 + 32 + 64;

    std::array<uint8, 32> publicKey{};
    std::array<uint8, 64> signature{};

    std::vector<uint8> Serialize() const;
    std::string Parse(const void* data, size_t size);
};

// A digest as 64 lower-case hexadecimal digits, and back (false when text is
// not such a digest).
std::string Sha256Text(const Sha256Digest& digest);
bool Sha256FromText(const std::string& text, Sha256Digest& digest);
