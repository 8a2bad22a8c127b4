#include "BuildManifest.h"

#include <DataDigest.h>

#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr char kManifestMagic[8] = {'O', 'N', 'D', 'L', 'M', 'A', 'N', '1'};
constexpr char kSignatureMagic[8] = {'O', 'N', 'D', 'L', 'S', 'I', 'G', '1'};

class Writer {
public:
    void Bytes(const void* data, size_t size)
    {
        const uint8* bytes = static_cast<const uint8*>(data);
        fOut.insert(fOut.end(), bytes, bytes + size);
    }
    void U8(uint8 value) { fOut.push_back(value); }
    void U16(uint16 value) { Little(value, 2); }
    void U32(uint32 value) { Little(value, 4); }
    void U64(uint64 value) { Little(value, 8); }
    void Text16(const std::string& text)
    {
        U16(uint16(text.size()));
        Bytes(text.data(), text.size());
    }
    std::vector<uint8>& Out() { return fOut; }

private:
    void Little(uint64 value, int bytes)
    {
        for (int i = 0; i < bytes; i++)
            fOut.push_back(uint8(value >> (8 * i)));
    }
    std::vector<uint8> fOut;
};

// Reads little-endian fields; the first read past the end, or any check
// that fails, sets an error and every later read gives zeros.
class Reader {
public:
    Reader(const void* data, size_t size)
        : fData(static_cast<const uint8*>(data))
        , fSize(data != nullptr ? size : 0)
    {
    }
    bool Take(void* out, size_t size, const char* what)
    {
        if (!fError.empty() || size > fSize - fPosition) {
            Fail(std::string("it ends inside ") + what);
            std::memset(out, 0, size);
            return false;
        }
        std::memcpy(out, fData + fPosition, size);
        fPosition += size;
        return true;
    }
    uint64 Little(int bytes, const char* what)
    {
        uint8 raw[8] = {};
        if (!Take(raw, size_t(bytes), what))
            return 0;
        uint64 value = 0;
        for (int i = bytes - 1; i >= 0; i--)
            value = (value << 8) | raw[i];
        return value;
    }
    std::string Text16(uint32 limit, const char* what)
    {
        const uint64 length = Little(2, what);
        if (length > limit || length > Left()) {
            Fail(std::string(what) + " is longer than allowed or than what is left");
            return std::string();
        }
        std::string text(reinterpret_cast<const char*>(fData + fPosition), size_t(length));
        fPosition += size_t(length);
        return text;
    }
    // A count of records of at least minimumSize bytes each: refused when
    // more than limit or more than the bytes left could hold.
    uint32 Count(uint32 limit, size_t minimumSize, const char* what)
    {
        const uint64 count = Little(4, what);
        if (count > limit || count * minimumSize > Left()) {
            Fail(std::string("the count of ") + what + " is larger than allowed or than what is left");
            return 0;
        }
        return uint32(count);
    }
    void Fail(const std::string& error)
    {
        if (fError.empty())
            fError = error;
    }
    size_t Left() const { return fSize - fPosition; }
    const std::string& Error() const { return fError; }

private:
    const uint8* fData;
    size_t fSize;
    size_t fPosition = 0;
    std::string fError;
};

// Every region record holds at least its kind, type, id, name length,
// length and digest; every archive its id and file count; every file its
// name length, size and digest.
constexpr size_t kRegionMinimum = 1 + 4 + 4 + 2 + 8 + 32;
constexpr size_t kArchiveMinimum = 4 + 4;
constexpr size_t kFileMinimum = 2 + 8 + 32;

} // namespace

std::vector<uint8> BuildManifest::Serialize() const
{
    Writer out;
    out.Bytes(kManifestMagic, sizeof(kManifestMagic));
    out.Text16(signer);
    out.U32(uint32(regions.size()));
    for (const ManifestRegion& region : regions) {
        out.U8(region.kind);
        out.U32(region.type);
        out.U32(uint32(region.id));
        out.Text16(region.name);
        out.U64(region.length);
        out.Bytes(region.digest.data(), region.digest.size());
    }
    out.U32(uint32(archives.size()));
    for (const ManifestArchive& archive : archives) {
        out.U32(uint32(archive.id));
        out.U32(uint32(archive.files.size()));
        for (const ManifestFile& file : archive.files) {
            out.Text16(file.name);
            out.U64(file.size);
            out.Bytes(file.digest.data(), file.digest.size());
        }
    }
    // The SHA-256 of everything before it, so that damage to an unsigned
    // manifest is found as well.
    Sha256Digest checksum{};
    DataDigest digest;
    digest.Add(out.Out().data(), out.Out().size());
    Sha256FromText(digest.Finish(), checksum);
    out.Bytes(checksum.data(), checksum.size());
    return std::move(out.Out());
}

std::string BuildManifest::Parse(const void* data, size_t size)
{
    *this = BuildManifest();
    if (size > kMaxSize)
        return "it is larger than a manifest may be";
    if (data == nullptr || size < kChecksumSize)
        return "it is too short to be a manifest";
    size -= kChecksumSize;
    Sha256Digest stated{};
    std::memcpy(stated.data(), static_cast<const uint8*>(data) + size, stated.size());
    DataDigest digest;
    digest.Add(data, size);
    if (digest.Finish() != Sha256Text(stated))
        return "its checksum does not match its contents";
    Reader in(data, size);
    char magic[sizeof(kManifestMagic)];
    if (!in.Take(magic, sizeof(magic), "its mark") || std::memcmp(magic, kManifestMagic, sizeof(magic)) != 0)
        return "it does not start with the manifest's mark";
    BuildManifest read;
    read.signer = in.Text16(kMaxSignerLength, "the signer's name");
    const uint32 regionCount = in.Count(kMaxRegions, kRegionMinimum, "regions");
    read.regions.reserve(regionCount);
    bool hasProgram = false;
    std::set<std::pair<type_code, int32>> resources;
    for (uint32 i = 0; i < regionCount && in.Error().empty(); i++) {
        ManifestRegion region;
        const uint64 kind = in.Little(1, "a region");
        if (kind != ManifestRegion::kProgram && kind != ManifestRegion::kResource)
            in.Fail("a region is of an unknown kind");
        region.kind = ManifestRegion::Kind(kind);
        region.type = type_code(in.Little(4, "a region"));
        region.id = int32(uint32(in.Little(4, "a region")));
        region.name = in.Text16(kMaxNameLength, "a resource name");
        region.length = in.Little(8, "a region");
        in.Take(region.digest.data(), region.digest.size(), "a region's digest");
        if (kind == ManifestRegion::kProgram) {
            if (hasProgram)
                in.Fail("the program's bytes are listed twice");
            hasProgram = true;
        } else if (in.Error().empty() && !resources.emplace(region.type, region.id).second) {
            in.Fail("a resource is listed twice");
        }
        read.regions.push_back(std::move(region));
    }
    const uint32 archiveCount = in.Count(kMaxArchives, kArchiveMinimum, "archives");
    read.archives.reserve(archiveCount);
    uint64 totalFiles = 0;
    std::set<int32> archiveIds;
    for (uint32 i = 0; i < archiveCount && in.Error().empty(); i++) {
        ManifestArchive archive;
        archive.id = int32(uint32(in.Little(4, "an archive")));
        if (in.Error().empty() && !archiveIds.insert(archive.id).second)
            in.Fail("an archive is listed twice");
        const uint32 fileCount = in.Count(kMaxFiles, kFileMinimum, "files");
        totalFiles += fileCount;
        if (totalFiles > kMaxFiles)
            in.Fail("it lists more files than allowed");
        archive.files.reserve(in.Error().empty() ? fileCount : 0);
        for (uint32 f = 0; f < fileCount && in.Error().empty(); f++) {
            ManifestFile file;
            file.name = in.Text16(kMaxNameLength, "a file name");
            if (in.Error().empty() && file.name.empty())
                in.Fail("a file has no name");
            file.size = in.Little(8, "a file");
            in.Take(file.digest.data(), file.digest.size(), "a file's digest");
            archive.files.push_back(std::move(file));
        }
        read.archives.push_back(std::move(archive));
    }
    if (in.Error().empty() && in.Left() != 0)
        in.Fail("bytes follow its end");
    if (!in.Error().empty())
        return in.Error();
    *this = std::move(read);
    return std::string();
}

const ManifestRegion* BuildManifest::FindResource(type_code type, int32 id) const
{
    for (const ManifestRegion& region : regions)
        if (region.kind == ManifestRegion::kResource && region.type == type && region.id == id)
            return &region;
    return nullptr;
}

const ManifestRegion* BuildManifest::FindProgram() const
{
    for (const ManifestRegion& region : regions)
        if (region.kind == ManifestRegion::kProgram)
            return &region;
    return nullptr;
}

const ManifestArchive* BuildManifest::FindArchive(int32 id) const
{
    for (const ManifestArchive& archive : archives)
        if (archive.id == id)
            return &archive;
    return nullptr;
}

std::vector<uint8> ManifestSignature::Serialize() const
{
    Writer out;
    out.Bytes(kSignatureMagic, sizeof(kSignatureMagic));
    out.Bytes(publicKey.data(), publicKey.size());
    out.Bytes(signature.data(), signature.size());
    return std::move(out.Out());
}

std::string ManifestSignature::Parse(const void* data, size_t size)
{
    *this = ManifestSignature();
    if (data == nullptr || size != kSize || std::memcmp(data, kSignatureMagic, sizeof(kSignatureMagic)) != 0)
        return "it is not a signature record";
    const uint8* bytes = static_cast<const uint8*>(data) + sizeof(kSignatureMagic);
    std::memcpy(publicKey.data(), bytes, publicKey.size());
    std::memcpy(signature.data(), bytes + publicKey.size(), signature.size());
    return std::string();
}

std::string Sha256Text(const Sha256Digest& digest)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (const uint8 byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

bool Sha256FromText(const std::string& text, Sha256Digest& digest)
{
    if (text.size() != 64)
        return false;
    auto nibble = [](char c) -> int {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (size_t i = 0; i < 32; i++) {
        const int high = nibble(text[2 * i]);
        const int low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest[i] = uint8(high << 4 | low);
    }
    return true;
}
