#include "BuildVerifier.h"

#include "ConfigFields.h"

#include <DataDigest.h>
#include <ResourceFormat.h>
#include <SigningKey.h>
#include <TypeConstants.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

using namespace ondelle::resources;

namespace {

// Bytes hashed per read.
constexpr size_t kReadSize = 1 << 20;
// At most this many threads hash a build's regions, and only a build of at
// least kParallelBytes uses more than one.
constexpr unsigned kMaxHashThreads = 4;
constexpr uint64 kParallelBytes = 16 << 20;

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : fFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    int Get() const { return fFd; }

private:
    int fFd;
};

// The SHA-256 of [offset, offset + length) of fd as text; empty when the
// bytes cannot all be read.
std::string HashRange(int fd, uint64 offset, uint64 length, std::vector<uint8>& buffer)
{
    DataDigest digest;
    while (length > 0) {
        const size_t want = size_t(std::min<uint64>(length, buffer.size()));
        const ssize_t got = ::pread(fd, buffer.data(), want, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::string();
        digest.Add(buffer.data(), size_t(got));
        offset += uint64(got);
        length -= uint64(got);
    }
    return digest.Finish();
}

// A region to hash, the digest it must have and what a mismatch says.
struct HashJob {
    uint64 offset = 0;
    uint64 length = 0;
    std::string expected;
    std::string problem;
    bool differs = false;
};

// Hashes every job, the largest first, on up to kMaxHashThreads threads
// (the calling one included): a 200 MB build is checked before the install
// starts, and the check's time is what the user waits. Every thread is
// joined before this returns.
void RunHashJobs(int fd, std::vector<HashJob>& jobs)
{
    std::vector<size_t> order(jobs.size());
    uint64 total = 0;
    for (size_t i = 0; i < jobs.size(); i++) {
        order[i] = i;
        total += jobs[i].length;
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return jobs[a].length > jobs[b].length; });
    std::atomic<size_t> next{0};
    auto work = [&] {
        std::vector<uint8> buffer(kReadSize);
        for (size_t taken; (taken = next.fetch_add(1)) < order.size();) {
            HashJob& job = jobs[order[taken]];
            job.differs = HashRange(fd, job.offset, job.length, buffer) != job.expected;
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = total < kParallelBytes ? 0 : std::min<size_t>(std::min(cores, kMaxHashThreads) - 1,
        jobs.size() > 0 ? jobs.size() - 1 : 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < helpers; i++) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            // No thread to be had: the calling one does the rest.
            break;
        }
    }
    work();
    for (std::thread& thread : threads)
        thread.join();
}

std::string TypeText(type_code type)
{
    const char code[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
    for (const char c : code)
        if (!std::isprint(static_cast<unsigned char>(c)))
            return std::to_string(type);
    return "'" + std::string(code, 4) + "'";
}

bool ReadResource(int fd, const ResourceEntry& entry, std::vector<uint8>& data, uint64 limit)
{
    if (entry.size > limit)
        return false;
    data.resize(size_t(entry.size));
    return FdSource(fd, entry.offset + entry.size).ReadAt(entry.offset, data.data(), data.size()) == B_OK;
}

} // namespace

std::string BuildPartName(type_code type, int32 id, const std::string& name)
{
    if (type == kConfigResourceType && id == kConfigResourceId)
        return "the configuration";
    if (type == kManifestResourceType && id == kManifestResourceId)
        return "the manifest";
    if (type == kSignatureResourceType && id == kSignatureResourceId)
        return "the signature";
    if (type == B_RAW_TYPE && id == kDeinstallerResourceId)
        return "the deinstaller";
    if (type == B_RAW_TYPE && id == kHelpResourceId)
        return "the help file";
    if (type == B_RAW_TYPE && id >= kFirstItemResourceId)
        return "the archive of item " + std::to_string(id - kFirstItemResourceId + 1) + " (\"" + name + "\")";
    return "resource " + TypeText(type) + " " + std::to_string(id) + (name.empty() ? "" : " (\"" + name + "\")");
}

std::string BuildVerification::Summary() const
{
    switch (state) {
        case State::kUnverified:
            return "Not verified: this build carries no manifest; not signed.";
        case State::kDamaged:
            return "Damaged: " + (problems.empty() ? std::string("the build does not match its manifest")
                                                   : problems.front());
        case State::kWhole:
            break;
    }
    if (!isSigned)
        return "Verified against its manifest; not signed.";
    return "Signed by " + (signer.empty() ? std::string("an unnamed signer") : signer) + " (key fingerprint "
        + fingerprint + ").";
}

BuildVerification VerifyBuild(const std::string& path)
{
    BuildVerification result;
    auto refuse = [&](const std::string& problem) {
        result.state = BuildVerification::State::kDamaged;
        result.problems.push_back(problem);
    };
    const ReadOnlyFile file(path);
    struct stat st = {};
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        refuse("the build cannot be read");
        return result;
    }
    const uint64 fileSize = uint64(st.st_size);
    const FdSource source(file.Get(), fileSize);
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    if (DetectContainer(source, container) != B_OK || ReadContainerResources(source, container, entries) != B_OK) {
        result.unreadable = true;
        refuse("its resources are damaged or cut short");
        return result;
    }

    const ResourceEntry* manifestEntry = nullptr;
    const ResourceEntry* signatureEntry = nullptr;
    uint64 firstData = fileSize;
    for (const ResourceEntry& entry : entries) {
        if (entry.type == kManifestResourceType && entry.id == kManifestResourceId)
            manifestEntry = &entry;
        else if (entry.type == kSignatureResourceType && entry.id == kSignatureResourceId)
            signatureEntry = &entry;
        firstData = std::min(firstData, entry.offset);
    }
    if (manifestEntry == nullptr) {
        // A signature without its manifest: the manifest was taken out.
        if (signatureEntry != nullptr)
            refuse("the manifest is missing, but the build carries a signature");
        return result;
    }

    std::vector<uint8> manifestBytes;
    if (!ReadResource(file.Get(), *manifestEntry, manifestBytes, BuildManifest::kMaxSize)) {
        refuse("the manifest cannot be read");
        return result;
    }
    if (signatureEntry != nullptr) {
        std::vector<uint8> signatureBytes;
        ManifestSignature signature;
        SigningKey key;
        if (!ReadResource(file.Get(), *signatureEntry, signatureBytes, ManifestSignature::kSize)
            || !signature.Parse(signatureBytes.data(), signatureBytes.size()).empty()
            || !key.SetPublic(signature.publicKey.data(), signature.publicKey.size()).empty()) {
            refuse("the signature is damaged");
            return result;
        }
        if (!key.Verify(manifestBytes.data(), manifestBytes.size(), signature.signature.data(),
                signature.signature.size())) {
            refuse("the signature does not match the manifest: the manifest or the signature was changed after "
                   "the build was signed");
            return result;
        }
        result.isSigned = true;
        result.fingerprint = key.Fingerprint();
    }
    // The signature first: in a signed build, a changed manifest is a
    // changed signed document, whatever else it broke.
    const std::string parseError = result.manifest.Parse(manifestBytes.data(), manifestBytes.size());
    if (!parseError.empty()) {
        refuse("the manifest is damaged: " + parseError);
        return result;
    }
    result.signer = result.manifest.signer;
    if (!result.isSigned && !result.manifest.signer.empty()) {
        refuse("the signature is missing, but the manifest names a signer");
        return result;
    }

    // The program's bytes: everything before the resource area.
    std::vector<HashJob> jobs;
    const uint64 imageEnd = std::min(container.base, firstData);
    const ManifestRegion* program = result.manifest.FindProgram();
    if (program == nullptr)
        refuse("the installer program is not in the manifest");
    else if (program->length != imageEnd)
        refuse("the installer program differs from the manifest");
    else
        jobs.push_back({0, imageEnd, Sha256Text(program->digest), "the installer program differs from the manifest"});

    // Every resource but the manifest and its signature, and nothing more.
    size_t listed = 0;
    for (const ResourceEntry& entry : entries) {
        if (&entry == manifestEntry || &entry == signatureEntry)
            continue;
        const std::string part = BuildPartName(entry.type, entry.id, entry.name);
        const ManifestRegion* region = result.manifest.FindResource(entry.type, entry.id);
        if (region == nullptr) {
            refuse(part + " is not in the manifest: it was added after the build was made");
            continue;
        }
        listed++;
        if (region->name != entry.name)
            refuse(part + " was renamed after the build was made");
        else if (region->length != entry.size)
            refuse(part + " differs from the manifest");
        else
            jobs.push_back({entry.offset, entry.size, Sha256Text(region->digest), part + " differs from the manifest"});
    }
    RunHashJobs(file.Get(), jobs);
    for (const HashJob& job : jobs)
        if (job.differs)
            refuse(job.problem);
    size_t resourceRegions = 0;
    for (const ManifestRegion& region : result.manifest.regions)
        resourceRegions += region.kind == ManifestRegion::kResource ? 1 : 0;
    if (listed != resourceRegions) {
        for (const ManifestRegion& region : result.manifest.regions) {
            if (region.kind != ManifestRegion::kResource)
                continue;
            bool found = false;
            for (const ResourceEntry& entry : entries)
                found |= entry.type == region.type && entry.id == region.id;
            if (!found)
                refuse(BuildPartName(region.type, region.id, region.name) + " is missing from the build");
        }
    }
    if (result.state != BuildVerification::State::kDamaged)
        result.state = BuildVerification::State::kWhole;
    return result;
}

std::string CheckRequiredSignature(const BuildVerification& verification, const std::string& fingerprint)
{
    const std::string wanted = SigningKey::NormalizeFingerprint(fingerprint);
    if (wanted.empty())
        return "\"" + fingerprint + "\" is not a key fingerprint (64 hexadecimal digits)";
    if (verification.Refused())
        return verification.Summary();
    if (!verification.isSigned)
        return "the build is not signed, but a signature by the key " + wanted + " is required";
    if (verification.fingerprint != wanted)
        return "the build is signed by another key (" + verification.fingerprint + ") than the one required ("
            + wanted + ")";
    return std::string();
}

std::string CheckPlacedFiles(const BuildManifest& manifest, int32 id, const std::string& entryName,
    const std::vector<ZipPlacedEntry>& placed)
{
    const ManifestArchive* archive = manifest.FindArchive(id);
    const std::string part = BuildPartName(B_RAW_TYPE, id, entryName);
    if (archive == nullptr)
        return part + " has no file list in the manifest";
    // The manifest names files as in the archive; unpacking names them below
    // the item ("" being the item itself).
    std::map<std::string, const ManifestFile*> expected;
    for (const ManifestFile& file : archive->files) {
        if (file.name == entryName)
            expected[std::string()] = &file;
        else if (file.name.size() > entryName.size() && file.name.compare(0, entryName.size(), entryName) == 0
            && file.name[entryName.size()] == '/')
            expected[file.name.substr(entryName.size() + 1)] = &file;
    }
    for (const ZipPlacedEntry& entry : placed) {
        if (entry.kind != ZipEntrySummary::kFile)
            continue;
        const std::string shown = entry.name.empty() ? entryName : entryName + "/" + entry.name;
        const auto found = expected.find(entry.name);
        if (found == expected.end())
            return part + ": the file \"" + shown + "\" is not in the manifest";
        if (found->second->size != entry.size || Sha256Text(found->second->digest) != entry.detail)
            return part + ": the file \"" + shown + "\" differs from the manifest";
        expected.erase(found);
    }
    if (!expected.empty()) {
        const std::string& name = expected.begin()->first;
        return part + ": the file \"" + (name.empty() ? entryName : entryName + "/" + name)
            + "\" was not unpacked, though the manifest lists it";
    }
    return std::string();
}
