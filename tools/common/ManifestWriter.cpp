#include "ManifestWriter.h"

#include <BuildManifest.h>
#include <BuildVerifier.h>
#include <DataDigest.h>
#include <TypeConstants.h>
#include <ZipExtractor.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

using namespace ondelle::resources;

namespace {

bool HashRange(int fd, uint64 offset, uint64 length, std::vector<uint8>& buffer, Sha256Digest& out)
{
    DataDigest digest;
    while (length > 0) {
        const size_t want = size_t(std::min<uint64>(length, buffer.size()));
        const ssize_t got = ::pread(fd, buffer.data(), want, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        digest.Add(buffer.data(), size_t(got));
        offset += uint64(got);
        length -= uint64(got);
    }
    return Sha256FromText(digest.Finish(), out);
}

} // namespace

size_t ManifestResourceCount(const BuildSigning* signing)
{
    return signing != nullptr ? 2 : 1;
}

std::string AddManifest(ResourceStreamWriter& writer, int fd, const std::string& path,
    const std::vector<int32>& archiveIds, const BuildSigning* signing)
{
    if (writer.Sync() != B_OK)
        return path + ": cannot be written";
    const std::string unreadable = path + ": what was written cannot be read back to be checksummed";
    BuildManifest manifest;
    if (signing != nullptr)
        manifest.signer = signing->signer;
    std::vector<uint8> buffer(1 << 20);

    ManifestRegion program;
    program.kind = ManifestRegion::kProgram;
    program.length = writer.Base();
    if (!HashRange(fd, 0, program.length, buffer, program.digest))
        return unreadable;
    manifest.regions.push_back(program);

    for (size_t i = 0; i < writer.Begun(); i++) {
        ManifestRegion region;
        region.type = writer.TypeAt(i);
        region.id = writer.IdAt(i);
        region.name = writer.NameAt(i);
        region.length = writer.DataSize(i);
        if (!HashRange(fd, writer.DataOffset(i), region.length, buffer, region.digest))
            return unreadable;
        manifest.regions.push_back(region);

        if (region.type != B_RAW_TYPE
            || std::find(archiveIds.begin(), archiveIds.end(), region.id) == archiveIds.end())
            continue;
        // Each file as the installer will unpack it, with its digest.
        ManifestArchive archive;
        archive.id = region.id;
        std::string problem;
        bool digestsOk = true;
        const status_t status = ZipExtractor::VerifyRange(path.c_str(), off_t(writer.DataOffset(i)), region.length,
            [&](const std::string& text) {
                if (problem.empty())
                    problem = text;
            },
            [&](const ZipEntrySummary& entry) {
                if (entry.kind != ZipEntrySummary::kFile)
                    return;
                ManifestFile file;
                file.name = entry.name;
                file.size = entry.size;
                digestsOk &= Sha256FromText(entry.digest, file.digest);
                archive.files.push_back(std::move(file));
            });
        if (status != B_OK || !digestsOk)
            return BuildPartName(region.type, region.id, region.name) + " was written but does not read back whole"
                + (problem.empty() ? std::string() : " (" + problem + ")");
        manifest.archives.push_back(std::move(archive));
    }

    const std::vector<uint8> bytes = manifest.Serialize();
    if (bytes.size() > BuildManifest::kMaxSize)
        return "the build holds too many files for its manifest";
    writer.AddResource(kManifestResourceType, kManifestResourceId, kManifestResourceName, bytes.data(), bytes.size());
    if (signing != nullptr) {
        ManifestSignature signature;
        const std::vector<uint8> signed_ = signing->key.Sign(bytes.data(), bytes.size());
        const std::vector<uint8> publicKey = signing->key.PublicBytes();
        if (signed_.size() != signature.signature.size() || publicKey.size() != signature.publicKey.size())
            return "the build could not be signed with the key given";
        std::copy(signed_.begin(), signed_.end(), signature.signature.begin());
        std::copy(publicKey.begin(), publicKey.end(), signature.publicKey.begin());
        const std::vector<uint8> record = signature.Serialize();
        writer.AddResource(kSignatureResourceType, kSignatureResourceId, kSignatureResourceName, record.data(),
            record.size());
    }
    return writer.Status() == B_OK ? std::string() : path + ": cannot be written";
}
