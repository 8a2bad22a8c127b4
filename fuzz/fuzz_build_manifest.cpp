// Reads arbitrary bytes as a build's manifest and as its signature record.
// The bytes are read twice: as they are (which mostly exercises the
// checksum), and with their correct checksum appended, so that the reader of
// the records behind the checksum sees every input too. Whatever is read is
// written again and must read back the same.
#include <BuildManifest.h>
#include <DataDigest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void RoundTrip(const BuildManifest& manifest)
{
    const std::vector<uint8> bytes = manifest.Serialize();
    BuildManifest again;
    if (!again.Parse(bytes.data(), bytes.size()).empty() || again.Serialize() != bytes)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BuildManifest manifest;
    if (manifest.Parse(data, size).empty())
        RoundTrip(manifest);

    std::vector<uint8> sealed(data, data + size);
    DataDigest digest;
    digest.Add(sealed.data(), sealed.size());
    Sha256Digest checksum{};
    if (Sha256FromText(digest.Finish(), checksum)) {
        sealed.insert(sealed.end(), checksum.begin(), checksum.end());
        if (manifest.Parse(sealed.data(), sealed.size()).empty()) {
            RoundTrip(manifest);
            manifest.FindProgram();
            if (!manifest.regions.empty())
                manifest.FindResource(manifest.regions.back().type, manifest.regions.back().id);
        }
    }

    ManifestSignature signature;
    if (signature.Parse(data, size).empty() && signature.Serialize() != std::vector<uint8>(data, data + size))
        std::abort();
    return 0;
}
