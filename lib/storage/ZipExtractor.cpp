#include "ZipExtractor.h"

#include "NodeAttributes.h"
#include "ZipEntryData.h"
#include "ZipExtraFields.h"
#include "ZipFolderChain.h"
#include "ZipRangeReader.h"

#include <DataDigest.h>
#include <MimeType.h>
#include <Node.h>
#include <StopPoint.h>
#include <TypeConstants.h>

#include <minizip/unzip.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

const size_t kChunkSize = 256 * 1024;
const char kFileTypeName[] = "BEOS:TYPE";
const size_t kMaxLinkTarget = 4096;

// Hosts whose archives keep a Unix mode in the upper half of the external
// attributes: Unix, the original platform, AtheOS/Syllable and Mac OS X.
bool HasUnixMode(uLong versionMadeBy)
{
    const uLong host = versionMadeBy >> 8;
    return host == 3 || host == 16 || host == 30 || host == 19;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fFd(fd) {}
    ~FileDescriptor() { Reset(-1); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    void Reset(int fd)
    {
        if (fFd >= 0)
            ::close(fFd);
        fFd = fd;
    }
    int Get() const { return fFd; }

private:
    int fFd;
};

// A folder below the target that the archive lists or that unpacking
// made; listed folders get their modes and times once their contents are
// written.
struct DeferredFolder {
    std::string name; // below the target
    bool listed = false;
    bool made = false;
    // Made where no descriptor was at hand: marked by path at the end.
    bool markByPath = false;
    mode_t mode = 0;
    bool hasMode = false;
    struct timespec times[2] = {};
};

// The process's umask, without changing it (umask(2) would, for every
// thread): from /proc, or -1 when it cannot be told.
int CurrentUmask()
{
    FILE* status = fopen("/proc/self/status", "re");
    if (status == nullptr)
        return -1;
    char line[256];
    int mask = -1;
    while (fgets(line, sizeof(line), status) != nullptr) {
        unsigned value = 0;
        if (sscanf(line, "Umask: %o", &value) == 1) {
            mask = int(value & 0777);
            break;
        }
    }
    fclose(status);
    return mask;
}

class Extraction {
public:
    // Unpacks archive into target; with a null target only checks it (see
    // ZipExtractor::Verify), passing problems and entries to the callbacks.
    // With range, the archive is the part of the file archive that range
    // reads, starting at rangeOffset.
    Extraction(const char* archive, const char* target, ZipRangeReader* range = nullptr, off_t rangeOffset = 0,
        const ZipExtractor::ProblemFunction* problem = nullptr, const ZipExtractor::EntryFunction* entry = nullptr,
        const ZipExtractOptions* options = nullptr)
        : fArchive(archive), fRange(range), fRangeOffset(rangeOffset),
          fOptions(options != nullptr ? *options : ZipExtractOptions()),
          fShown(target != nullptr ? archive : "the archive"), fTarget(target != nullptr ? target : ""),
          fVerify(target == nullptr),
          fProblem(problem != nullptr ? problem : fOptions.problem ? &fOptions.problem : nullptr), fEntry(entry),
          fName(65536), fCentralExtra(65536),
          fLocalExtra(65536),
          fData(kChunkSize)
    {
    }

    status_t Run();

private:
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool LocalNameMatches(unzFile zip, const char* name, size_t length);
    bool ReadLinkTarget(unzFile zip, const std::string& name, size_t depth, uint64 size, std::string& target);
    bool VerifyEntry(unzFile zip, const std::vector<std::string>& parts, const std::string& name,
        bool isDirectory, bool isLink, mode_t mode, uint64 size);
    bool SplitName(const std::string& name, std::vector<std::string>& parts);
    // The folder parts[0..count) below the target, opened (made when
    // missing) through the chain; -1 after reporting why not.
    int OpenParent(const std::vector<std::string>& parts, size_t count, const std::string& name);
    // The record of the folder of that name, made when it has none.
    DeferredFolder& FolderRecord(const std::string& name);
    bool ExtractEntry(unzFile zip);
    // Writes a file's data and attributes; size and digest receive what
    // was written. The data goes around minizip's stream when fEntryData
    // handles the entry at location.
    bool WriteFile(unzFile zip, int directory, const std::string& leaf, const std::string& name,
        mode_t mode, bool hasMode, const struct timespec times[2], ZipAttributeList& attributes, uint64& size,
        std::string& digest, const ZipEntryLocation& location);
    // Writes the data through minizip's stream into outFd.
    bool WriteStream(unzFile zip, int outFd, const std::string& leaf, const std::string& name,
        ZipAttributeList& attributes, uint64& size, std::string& digest);
    // Writes the data of an entry that fEntryData handles into out.
    bool WriteDirect(int out, const std::string& leaf, const std::string& name, const ZipEntryLocation& location,
        ZipAttributeList& attributes, uint64& size, std::string& digest);
    // Writes attributes (and with withMark the mark) through fd, a node
    // this unpacking made, so nothing is looked up or removed first.
    bool WriteNewAttributes(int fd, const ZipAttributeList& attributes, const std::string& name, bool withMark);
    // Drops the archive's attributes that the mark replaces.
    void RemoveMarked(ZipAttributeList& attributes) const;
    // Sets the listed folders' modes and times, deepest first, and reports
    // the folders as placed.
    void FinishFolders();
    void Placed(const std::string& name, ZipEntrySummary::Kind kind, uint64 size, int64 modified,
        const std::string& detail);
    // Adds the file type guessed from the leaf name and the first block,
    // unless the archive gave the entry a type.
    void AddGuessedType(const std::string& leaf, const char* data, int length, ZipAttributeList& attributes);
    // Adds the folder type unless the archive gave the folder a type.
    static void AddFolderType(ZipAttributeList& attributes);
    bool WriteLink(unzFile zip, int directory, const std::string& leaf, const std::string& name,
        size_t depth, uint64 size, const struct timespec times[2], std::string& target);
    void Refuse(const std::string& name, const char* reason);
    // Remembers a failure that means the volume has no room left.
    void NoteError(int error)
    {
        if (error == ENOSPC || error == EDQUOT)
            fFull = true;
    }
    std::string FullPath(const std::string& relative) const { return fTarget + "/" + relative; }
    // The caller asked to stop; remembered for the result.
    bool Cancelled()
    {
        if (fOptions.cancel != nullptr && fOptions.cancel->load(std::memory_order_relaxed))
            fCancelled = true;
        return fCancelled;
    }

    const char* fArchive;
    ZipRangeReader* fRange;
    off_t fRangeOffset;
    const ZipExtractOptions fOptions;
    // How messages name the archive.
    const char* fShown;
    std::string fTarget;
    const bool fVerify;
    const ZipExtractor::ProblemFunction* fProblem;
    const ZipExtractor::EntryFunction* fEntry;
    FileDescriptor fArchiveFile;
    // When only checking: what each path below the target would be after
    // the entries so far ('d' folder, 'f' file, 'l' link).
    std::map<std::string, char> fNodes;
    FileDescriptor fRoot;
    std::unique_ptr<ZipFolderChain> fChain;
    std::vector<DeferredFolder> fFolders;
    std::map<std::string, size_t> fFolderIndex;
    // The umask, when files may be created with their final mode at once
    // (-1: every file's mode is set after its data).
    int fUmask = -1;
    DataDigest fDigest;
    // Inflates small entries in one call and copies stored ones in the
    // kernel; null when the archive's descriptor is not at hand.
    std::unique_ptr<ZipEntryData> fEntryData;
    // Buffers for one entry at a time, kept for the whole archive.
    std::vector<char> fName;
    std::vector<char> fCentralExtra;
    std::vector<char> fLocalExtra;
    std::vector<char> fData;
    bool fFull = false;
    bool fCancelled = false;
};

void Extraction::Report(const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    if (fProblem != nullptr && *fProblem)
        (*fProblem)(text);
    else
        fprintf(stderr, "LibUnzip: %s\n", text);
}

// The name in the entry's local header must be the one in the central
// directory: tools that read only one of them would unpack another file.
bool Extraction::LocalNameMatches(unzFile zip, const char* name, size_t length)
{
    const ZPOS64_T data = unzGetCurrentFileZStreamPos64(zip);
    const int extra = unzGetLocalExtrafield(zip, nullptr, 0);
    if (extra < 0 || data < uint64(extra) + length)
        return false;
    std::string local(length, '\0');
    const uint64 at = data - uint64(extra) - length;
    // The local header was just read, so the range reader's window holds it.
    if (fRange != nullptr)
        return fRange->ReadAt(at, local.data(), length) && memcmp(local.data(), name, length) == 0;
    if (fArchiveFile.Get() < 0)
        return false;
    const ssize_t got = ::pread(fArchiveFile.Get(), local.data(), length, fRangeOffset + off_t(at));
    return got == ssize_t(length) && memcmp(local.data(), name, length) == 0;
}

void Extraction::Refuse(const std::string& name, const char* reason)
{
    Report("refusing \"%s\" from %s: %s", name.c_str(), fShown, reason);
}

// Splits an entry name into its components; refuses names that would leave
// the target folder.
bool Extraction::SplitName(const std::string& name, std::vector<std::string>& parts)
{
    if (name.empty()) {
        Refuse(name, "the entry has no name");
        return false;
    }
    if (name[0] == '/') {
        Refuse(name, "an absolute name would be written outside the target folder");
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string::npos)
            slash = name.size();
        const std::string part = name.substr(start, slash - start);
        if (part == "..") {
            Refuse(name, "a \"..\" component would be written outside the target folder");
            return false;
        }
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = slash + 1;
    }
    if (parts.empty()) {
        Refuse(name, "the entry names no file");
        return false;
    }
    return true;
}

int Extraction::OpenParent(const std::vector<std::string>& parts, size_t count, const std::string& name)
{
    std::vector<size_t> made;
    ZipFolderChain::Failure failure;
    const int fd = fChain->Open(parts, count, made, failure);
    // Folders made on the way get the mark now, through the descriptor the
    // chain holds; one it does not hold gets it by path at the end.
    for (size_t depth : made) {
        std::string folder;
        for (size_t i = 0; i <= depth; i++)
            folder += (i > 0 ? "/" : "") + parts[i];
        DeferredFolder& record = FolderRecord(folder);
        record.made = true;
        const int held = fChain->At(depth);
        if (!fOptions.mark.empty() && held >= 0)
            WriteNewAttributes(held, ZipAttributeList(), folder, true);
        else
            record.markByPath = !fOptions.mark.empty();
    }
    if (fd < 0) {
        NoteError(failure.error);
        if (failure.throughLink)
            Refuse(name, "its path runs through a symbolic link");
        else if (failure.making)
            Report("cannot create folder for \"%s\": %s", name.c_str(), strerror(failure.error));
        else
            Report("cannot open folder for \"%s\": %s", name.c_str(), strerror(failure.error));
    }
    return fd;
}

DeferredFolder& Extraction::FolderRecord(const std::string& name)
{
    const auto found = fFolderIndex.find(name);
    if (found != fFolderIndex.end())
        return fFolders[found->second];
    fFolderIndex.emplace(name, fFolders.size());
    fFolders.emplace_back();
    fFolders.back().name = name;
    return fFolders.back();
}

void Extraction::RemoveMarked(ZipAttributeList& attributes) const
{
    for (const ZipAttribute& marked : fOptions.mark) {
        attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                             [&](const ZipAttribute& attribute) { return attribute.name == marked.name; }),
            attributes.end());
    }
}

bool Extraction::WriteNewAttributes(int fd, const ZipAttributeList& attributes, const std::string& name,
    bool withMark)
{
    bool ok = true;
    const ZipAttributeList none;
    for (const ZipAttributeList* list : {&attributes, withMark ? &fOptions.mark : &none}) {
        for (const ZipAttribute& attribute : *list) {
            const status_t status = write_new_attribute(fd, attribute.name.c_str(), attribute.type,
                attribute.data.data(), attribute.data.size());
            if (status == B_DEVICE_FULL)
                fFull = true;
            if (status != B_OK && ok) {
                Report("could not restore every attribute of \"%s\"", name.c_str());
                ok = false;
            }
        }
    }
    return ok;
}

void Extraction::Placed(const std::string& name, ZipEntrySummary::Kind kind, uint64 size, int64 modified,
    const std::string& detail)
{
    if (fOptions.placed == nullptr)
        return;
    ZipPlacedEntry entry;
    entry.name = name;
    entry.kind = kind;
    entry.size = size;
    entry.modified = modified;
    entry.detail = detail;
    fOptions.placed->push_back(std::move(entry));
}

bool Extraction::WriteFile(unzFile zip, int directory, const std::string& leaf, const std::string& name,
    mode_t mode, bool hasMode, const struct timespec times[2], ZipAttributeList& attributes, uint64& size,
    std::string& digest, const ZipEntryLocation& location)
{
    // With the umask known the file is made with its final mode at once
    // (owner-writable until its attributes are written, which a read-only
    // file refuses); otherwise it is made private and given its mode last.
    const mode_t wanted = mode & 0777;
    const mode_t createMode = !hasMode ? 0666 : fUmask >= 0 ? (wanted | 0200) : 0600;
    const bool setMode = hasMode && (fUmask < 0 || (createMode & ~mode_t(fUmask)) != wanted);
    // Created afresh: an entry already there (not a folder) is replaced.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    FileDescriptor out(::openat(directory, leaf.c_str(), flags, createMode));
    if (out.Get() < 0 && errno == EEXIST) {
        struct stat existing = {};
        if (::fstatat(directory, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode)) {
            Report("cannot write \"%s\": a folder of that name exists", name.c_str());
            return false;
        }
        ::unlinkat(directory, leaf.c_str(), 0);
        out.Reset(::openat(directory, leaf.c_str(), flags, createMode));
    }
    if (out.Get() < 0) {
        NoteError(errno);
        Report("cannot create \"%s\": %s", name.c_str(), strerror(errno));
        return false;
    }
    if (fEntryData != nullptr && fEntryData->Handles(location)) {
        if (!WriteDirect(out.Get(), leaf, name, location, attributes, size, digest))
            return false;
    } else if (!WriteStream(zip, out.Get(), leaf, name, attributes, size, digest)) {
        return false;
    }
    // The attributes go through the open descriptor, each written once.
    RemoveMarked(attributes);
    if (!WriteNewAttributes(out.Get(), attributes, name, true))
        return false;
    if (setMode)
        ::fchmod(out.Get(), wanted);
    ::futimens(out.Get(), times);
    return true;
}

bool Extraction::WriteDirect(int out, const std::string& leaf, const std::string& name,
    const ZipEntryLocation& location, ZipAttributeList& attributes, uint64& size, std::string& digest)
{
    ZipEntryData::FirstBlock first;
    if (fOptions.typeUntyped) {
        first = [&](const char* data, size_t length) { AddGuessedType(leaf, data, int(length), attributes); };
    }
    int error = 0;
    const ZipEntryData::Result result = fEntryData->Write(location, out, fOptions.digests ? &fDigest : nullptr,
        first, [this] { return Cancelled(); }, error);
    // The next file's checksum starts afresh whatever happened.
    std::string taken = fOptions.digests ? fDigest.Finish() : std::string();
    switch (result) {
        case ZipEntryData::kWritten:
            size = location.size;
            digest = std::move(taken);
            return true;
        case ZipEntryData::kDamaged:
            Report("\"%s\" is damaged in %s", name.c_str(), fShown);
            return false;
        case ZipEntryData::kBadCrc:
            Report("bad CRC for \"%s\" in %s", name.c_str(), fShown);
            return false;
        case ZipEntryData::kNotWritten:
            NoteError(error);
            Report("error writing \"%s\": %s", name.c_str(), strerror(error));
            return false;
        case ZipEntryData::kCancelled:
            return false;
    }
    return false;
}

bool Extraction::WriteStream(unzFile zip, int outFd, const std::string& leaf, const std::string& name,
    ZipAttributeList& attributes, uint64& size, std::string& digest)
{
    std::vector<char>& buffer = fData;
    bool first = true;
    size = 0;
    for (;;) {
        if (Cancelled()) {
            if (fOptions.digests)
                fDigest.Finish();
            return false;
        }
        const int length = unzReadCurrentFile(zip, buffer.data(), unsigned(buffer.size()));
        if (length < 0) {
            Report("\"%s\" is damaged in %s", name.c_str(), fShown);
            // The next file's checksum starts afresh.
            if (fOptions.digests)
                fDigest.Finish();
            return false;
        }
        if (first && fOptions.typeUntyped)
            AddGuessedType(leaf, buffer.data(), length, attributes);
        first = false;
        if (length == 0)
            break;
        // The bytes are in memory anyway: the checksum costs no read.
        if (fOptions.digests)
            fDigest.Add(buffer.data(), size_t(length));
        for (int done = 0; done < length;) {
            const ssize_t written = ::write(outFd, buffer.data() + done, size_t(length - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                NoteError(written < 0 ? errno : ENOSPC);
                Report("error writing \"%s\": %s", name.c_str(), strerror(written < 0 ? errno : ENOSPC));
                if (fOptions.digests)
                    fDigest.Finish();
                return false;
            }
            done += int(written);
        }
        size += uint64(length);
    }
    if (fOptions.digests)
        digest = fDigest.Finish();
    return true;
}

void Extraction::AddFolderType(ZipAttributeList& attributes)
{
    for (const ZipAttribute& attribute : attributes) {
        if (attribute.name == kFileTypeName)
            return;
    }
    ZipAttribute type;
    type.name = kFileTypeName;
    type.type = B_MIME_STRING_TYPE;
    type.data.assign(B_DIRECTORY_MIME_TYPE);
    type.data.push_back('\0');
    attributes.push_back(type);
}

void Extraction::AddGuessedType(const std::string& leaf, const char* data, int length, ZipAttributeList& attributes)
{
    for (const ZipAttribute& attribute : attributes) {
        if (attribute.name == kFileTypeName)
            return;
    }
    BMimeType type;
    if (BMimeType::GuessMimeType(leaf.c_str(), data, length, &type) != B_OK || type.Type() == nullptr)
        return;
    ZipAttribute guessed;
    guessed.name = kFileTypeName;
    guessed.type = B_MIME_STRING_TYPE;
    guessed.data.assign(type.Type());
    guessed.data.push_back('\0');
    attributes.push_back(guessed);
}

bool Extraction::ReadLinkTarget(unzFile zip, const std::string& name, size_t depth, uint64 size,
    std::string& target)
{
    if (size == 0 || size > kMaxLinkTarget) {
        Report("the link \"%s\" has no usable target", name.c_str());
        return false;
    }
    target.assign(size_t(size), '\0');
    if (unzReadCurrentFile(zip, target.data(), unsigned(target.size())) != int(size)
        || target.find('\0') != std::string::npos) {
        Report("the link \"%s\" is damaged in %s", name.c_str(), fShown);
        return false;
    }
    // The target must stay inside: relative, with ".." only at its start and
    // no more of them than the link is deep. Named components below are
    // real folders or links checked the same way.
    if (target[0] == '/') {
        Refuse(name, "its link target is an absolute path outside the target folder");
        return false;
    }
    size_t up = 0;
    bool named = false;
    size_t start = 0;
    while (start <= target.size()) {
        size_t slash = target.find('/', start);
        if (slash == std::string::npos)
            slash = target.size();
        const std::string part = target.substr(start, slash - start);
        if (part == "..") {
            if (named || ++up > depth) {
                Refuse(name, "its link target points outside the target folder");
                return false;
            }
        } else if (!part.empty() && part != ".") {
            named = true;
        }
        start = slash + 1;
    }
    return true;
}

bool Extraction::WriteLink(unzFile zip, int directory, const std::string& leaf, const std::string& name,
    size_t depth, uint64 size, const struct timespec times[2], std::string& target)
{
    if (!ReadLinkTarget(zip, name, depth, size, target))
        return false;
    struct stat existing = {};
    if (::fstatat(directory, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            Report("cannot write \"%s\": a folder of that name exists", name.c_str());
            return false;
        }
        ::unlinkat(directory, leaf.c_str(), 0);
    }
    if (::symlinkat(target.c_str(), directory, leaf.c_str()) != 0) {
        NoteError(errno);
        Report("cannot create link \"%s\": %s", name.c_str(), strerror(errno));
        return false;
    }
    ::utimensat(directory, leaf.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return true;
}

// Checks an entry against what the entries before it would have made, as
// unpacking would meet it, and reads its data through.
bool Extraction::VerifyEntry(unzFile zip, const std::vector<std::string>& parts, const std::string& name,
    bool isDirectory, bool isLink, mode_t mode, uint64 size)
{
    std::string path;
    const size_t folders = isDirectory ? parts.size() : parts.size() - 1;
    for (size_t i = 0; i < folders; i++) {
        path += (i > 0 ? "/" : "") + parts[i];
        const auto node = fNodes.emplace(path, 'd').first;
        if (node->second == 'l') {
            Refuse(name, "its path runs through a symbolic link");
            return false;
        }
        if (node->second != 'd') {
            Report("cannot open folder for \"%s\": %s", name.c_str(), strerror(ENOTDIR));
            return false;
        }
    }
    ZipEntrySummary summary;
    summary.name = name;
    summary.mode = mode;
    if (isDirectory) {
        summary.kind = ZipEntrySummary::kFolder;
    } else {
        path += (parts.size() > 1 ? "/" : "") + parts.back();
        const auto existing = fNodes.find(path);
        if (existing != fNodes.end() && existing->second == 'd') {
            Report("cannot write \"%s\": a folder of that name exists", name.c_str());
            return false;
        }
        if (isLink) {
            summary.kind = ZipEntrySummary::kLink;
            if (!ReadLinkTarget(zip, name, parts.size() - 1, size, summary.linkTarget))
                return false;
        } else {
            summary.kind = ZipEntrySummary::kFile;
            DataDigest digest;
            for (;;) {
                const int length = unzReadCurrentFile(zip, fData.data(), unsigned(fData.size()));
                if (length < 0) {
                    Report("\"%s\" is damaged in %s", name.c_str(), fShown);
                    return false;
                }
                if (length == 0)
                    break;
                summary.size += uint64(length);
                digest.Add(fData.data(), size_t(length));
            }
            summary.digest = digest.Finish();
        }
        fNodes[path] = isLink ? 'l' : 'f';
    }
    if (fEntry != nullptr && *fEntry)
        (*fEntry)(summary);
    return true;
}

bool Extraction::ExtractEntry(unzFile zip)
{
    std::vector<char>& nameBuffer = fName;
    std::vector<char>& centralExtra = fCentralExtra;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(zip, &info, nameBuffer.data(), uLong(nameBuffer.size()), centralExtra.data(),
            uLong(centralExtra.size()), nullptr, 0) != UNZ_OK) {
        Report("%s has a damaged directory", fShown);
        return false;
    }
    const std::string name(nameBuffer.data());
    if (name.size() != info.size_filename) {
        Refuse(name, "the name holds a NUL character");
        return false;
    }
    std::vector<std::string> parts;
    if (!SplitName(name, parts))
        return false;
    if ((info.flag & 1) != 0) {
        Report("skipping \"%s\": it is encrypted", name.c_str());
        return false;
    }

    const bool unixMode = HasUnixMode(info.version) && (info.external_fa >> 16) != 0;
    const mode_t mode = unixMode ? mode_t(info.external_fa >> 16) : 0;
    const bool isLink = unixMode && S_ISLNK(mode);
    const bool isDirectory = !isLink
        && (name.back() == '/' || (unixMode && S_ISDIR(mode)) || (info.external_fa & 0x10) != 0);

    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        Report("cannot read \"%s\": unsupported compression or damage", name.c_str());
        return false;
    }
    if (!LocalNameMatches(zip, nameBuffer.data(), info.size_filename)) {
        Refuse(name, "its local header names another file than the archive's directory");
        unzCloseCurrentFile(zip);
        return false;
    }
    std::vector<char>& localExtra = fLocalExtra;
    const int localSize = unzGetLocalExtrafield(zip, localExtra.data(), unsigned(localExtra.size()));

    // Modification and access time: the extended time stamp when present,
    // the DOS date (local time) otherwise.
    struct timespec times[2] = {};
    int64 modified = 0;
    if (!(localSize > 0 && ZipExtra::FindModificationTime(localExtra.data(), size_t(localSize), modified))
        && !ZipExtra::FindModificationTime(centralExtra.data(), info.size_file_extra, modified)) {
        struct tm local = {};
        local.tm_sec = int(info.tmu_date.tm_sec);
        local.tm_min = int(info.tmu_date.tm_min);
        local.tm_hour = int(info.tmu_date.tm_hour);
        local.tm_mday = int(info.tmu_date.tm_mday);
        local.tm_mon = int(info.tmu_date.tm_mon);
        local.tm_year = int(info.tmu_date.tm_year) - 1900;
        local.tm_isdst = -1;
        modified = int64(::mktime(&local));
    }
    times[0].tv_sec = time_t(modified);
    times[1].tv_sec = time_t(modified);

    ZipAttributeList attributes;
    if (localSize > 0) {
        std::string block;
        const status_t status = ZipExtra::ParseBeField(localExtra.data(), size_t(localSize), block);
        if (status == B_OK)
            ZipExtra::DecodeAttributeBlock(block.data(), block.size(), attributes);
        if (status == B_BAD_DATA || status == B_UNSUPPORTED)
            Report("the attributes of \"%s\" are damaged; some may be missing", name.c_str());
    }

    std::string relative;
    for (const std::string& part : parts)
        relative += (relative.empty() ? "" : "/") + part;
    bool ok = true;
    // A listed folder this unpacking made, open in the folder chain.
    int madeFolder = -1;
    uint64 size = 0;
    std::string detail;
    if (fVerify) {
        ok = VerifyEntry(zip, parts, name, isDirectory, isLink, mode, info.uncompressed_size);
    } else if (isDirectory) {
        const int folder = OpenParent(parts, parts.size(), name);
        ok = folder >= 0;
        if (ok) {
            DeferredFolder& record = FolderRecord(relative);
            record.listed = true;
            record.mode = mode;
            record.hasMode = unixMode;
            record.times[0] = times[0];
            record.times[1] = times[1];
            if (record.made)
                madeFolder = folder;
        }
    } else {
        const int parent = OpenParent(parts, parts.size() - 1, name);
        if (parent < 0) {
            ok = false;
        } else if (isLink) {
            ok = WriteLink(zip, parent, parts.back(), name, parts.size() - 1, info.uncompressed_size, times, detail);
        } else {
            ZipEntryLocation location;
            location.method = int(info.compression_method);
            location.position = unzGetCurrentFileZStreamPos64(zip);
            location.compressedSize = info.compressed_size;
            location.size = info.uncompressed_size;
            location.crc = uint32(info.crc);
            ok = WriteFile(zip, parent, parts.back(), name, mode, unixMode, times, attributes, size, detail,
                location);
        }
    }
    const int closed = unzCloseCurrentFile(zip);
    if (ok && closed == UNZ_CRCERROR) {
        Report("bad CRC for \"%s\" in %s", name.c_str(), fShown);
        ok = false;
    }
    if (!ok || fVerify)
        return ok;
    if (isLink) {
        // Linux keeps no attributes on links: the archive's are tried (and
        // reported when refused), the mark is not.
        if (!attributes.empty() && WriteNodeAttributes(FullPath(relative).c_str(), attributes) != B_OK) {
            Report("could not restore every attribute of \"%s\"", name.c_str());
            ok = false;
        }
        if (ok)
            Placed(relative, ZipEntrySummary::kLink, 0, int64(times[1].tv_sec), detail);
        return ok;
    }
    if (!isDirectory) {
        // Its attributes went through the open descriptor already.
        Placed(relative, ZipEntrySummary::kFile, size, int64(times[1].tv_sec), detail);
        return true;
    }
    if (fOptions.typeUntyped)
        AddFolderType(attributes);
    RemoveMarked(attributes);
    if (madeFolder >= 0) {
        // Made by this unpacking, and marked when it was made.
        ok = WriteNewAttributes(madeFolder, attributes, name, false);
    } else if (!attributes.empty() || !fOptions.mark.empty()) {
        // A folder that was there already: each value replaces an old one.
        ZipAttributeList all = attributes;
        all.insert(all.end(), fOptions.mark.begin(), fOptions.mark.end());
        const status_t status = WriteNodeAttributes(FullPath(relative).c_str(), all);
        if (status == B_DEVICE_FULL)
            fFull = true;
        if (status != B_OK) {
            Report("could not restore every attribute of \"%s\"", name.c_str());
            ok = false;
        }
    }
    return ok;
}

void Extraction::FinishFolders()
{
    // Deepest first, so that a read-only mode never stops the folders
    // inside from getting theirs.
    std::vector<const DeferredFolder*> order;
    for (const DeferredFolder& folder : fFolders)
        order.push_back(&folder);
    std::stable_sort(order.begin(), order.end(), [](const DeferredFolder* a, const DeferredFolder* b) {
        return std::count(a->name.begin(), a->name.end(), '/') > std::count(b->name.begin(), b->name.end(), '/');
    });
    for (const DeferredFolder* folder : order) {
        const char* relative = folder->name.c_str();
        if (folder->markByPath)
            WriteNodeAttributes(FullPath(folder->name).c_str(), fOptions.mark);
        int64 modified = 0;
        if (folder->listed) {
            if (folder->hasMode)
                ::fchmodat(fRoot.Get(), relative, folder->mode & 0777, 0);
            ::utimensat(fRoot.Get(), relative, folder->times, AT_SYMLINK_NOFOLLOW);
            modified = int64(folder->times[1].tv_sec);
        } else if (fOptions.placed != nullptr) {
            struct stat st = {};
            if (::fstatat(fRoot.Get(), relative, &st, AT_SYMLINK_NOFOLLOW) == 0)
                modified = int64(st.st_mtime);
        }
        Placed(folder->name, ZipEntrySummary::kFolder, 0, modified, std::string());
    }
}

status_t Extraction::Run()
{
    while (fTarget.size() > 1 && fTarget.back() == '/')
        fTarget.pop_back();
    // A range is read through its reader, which opens the file itself.
    if (fRange == nullptr)
        fArchiveFile.Reset(::open(fArchive, O_RDONLY | O_CLOEXEC));
    if (!fVerify)
        fRoot.Reset(::open(fTarget.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fVerify && fRoot.Get() < 0) {
        Report("cannot open folder %s: %s", fTarget.c_str(), strerror(errno));
        return status_from_errno(errno);
    }
    if (!fVerify) {
        fChain = std::make_unique<ZipFolderChain>(fRoot.Get());
        // A default access list decides new files' modes instead of the
        // umask: then every mode is set explicitly.
        fUmask = ::fgetxattr(fRoot.Get(), "system.posix_acl_default", nullptr, 0) >= 0 ? -1 : CurrentUmask();
    }
    unzFile zip = fRange != nullptr ? fRange->Open() : unzOpen64(fArchive);
    if (zip == nullptr) {
        Report("cannot read %s as a zip archive", fShown);
        return B_BAD_DATA;
    }
    if (!fVerify && fRange != nullptr) {
        ZipRangeReader* range = fRange;
        fEntryData = std::make_unique<ZipEntryData>(
            [range](uint64 position, char* buffer, size_t size) { return range->ReadAt(position, buffer, size); },
            range->Descriptor(), range->Offset());
    } else if (!fVerify && fArchiveFile.Get() >= 0) {
        const int fd = fArchiveFile.Get();
        fEntryData = std::make_unique<ZipEntryData>(
            [fd](uint64 position, char* buffer, size_t size) {
                for (size_t done = 0; done < size;) {
                    const ssize_t got = ::pread(fd, buffer + done, size - done, off_t(position + done));
                    if (got < 0 && errno == EINTR)
                        continue;
                    if (got <= 0)
                        return false;
                    done += size_t(got);
                }
                return true;
            },
            fd, 0);
    }
    bool ok = true;
    int result = unzGoToFirstFile(zip);
    for (; result == UNZ_OK && !Cancelled(); result = unzGoToNextFile(zip)) {
        stop_point();
        ok = ExtractEntry(zip) && ok;
    }
    if (fCancelled) {
        unzClose(zip);
        fChain.reset();
        return B_CANCELED;
    }
    if (result != UNZ_END_OF_LIST_OF_FILE) {
        Report("%s has a damaged directory", fShown);
        ok = false;
    }
    unzClose(zip);
    fChain.reset();

    // Folders get their modes and times last, so that adding their
    // contents neither fails on a read-only mode nor moves the times.
    if (!fVerify)
        FinishFolders();
    if (ok)
        return B_OK;
    return fFull ? status_t(B_DEVICE_FULL) : status_t(B_ERROR);
}

} // namespace

status_t ZipExtractor::Verify(const char* archive, const ProblemFunction& problem, const EntryFunction& entry)
{
    if (archive == nullptr)
        return B_BAD_VALUE;
    Extraction check(archive, nullptr, nullptr, 0, &problem, &entry);
    return check.Run();
}

status_t ZipExtractor::VerifyRange(const char* file, off_t offset, uint64 length, const ProblemFunction& problem,
    const EntryFunction& entry)
{
    if (file == nullptr || offset < 0)
        return B_BAD_VALUE;
    ZipRangeReader range(file, offset, length);
    Extraction check(file, nullptr, &range, offset, &problem, &entry);
    return check.Run();
}

status_t ZipExtractor::Extract(const char* archive, const char* target)
{
    return Extract(archive, target, ZipExtractOptions());
}

status_t ZipExtractor::Extract(const char* archive, const char* target, const ZipExtractOptions& options)
{
    if (archive == nullptr || target == nullptr)
        return B_BAD_VALUE;
    stop_point();
    Extraction extraction(archive, target, nullptr, 0, nullptr, nullptr, &options);
    return extraction.Run();
}

status_t ZipExtractor::ExtractRange(const char* file, off_t offset, uint64 length, const char* target,
    bool typeUntyped)
{
    if (file == nullptr || target == nullptr || offset < 0)
        return B_BAD_VALUE;
    ZipExtractOptions options;
    options.typeUntyped = typeUntyped;
    return ExtractRange(file, offset, length, target, options);
}

status_t ZipExtractor::ExtractRange(const char* file, off_t offset, uint64 length, const char* target,
    const ZipExtractOptions& options)
{
    if (file == nullptr || target == nullptr || offset < 0)
        return B_BAD_VALUE;
    stop_point();
    ZipRangeReader range(file, offset, length);
    Extraction extraction(file, target, &range, offset, nullptr, nullptr, &options);
    return extraction.Run();
}
