#include "ZipWriter.h"

#include "ToolRunner.h"
#include "ZipSink.h"

#include <StopPoint.h>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const size_t kChunkSize = 256 * 1024;

using Item = ZipTreeEntry;

// minizip opens archives by name with fopen; this opens the descriptor that
// was created exclusively for the archive instead.
voidpf OpenDescriptor(voidpf opaque, const void* /*filename*/, int /*mode*/)
{
    const int fd = ::dup(*static_cast<int*>(opaque));
    if (fd < 0)
        return nullptr;
    FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr)
        ::close(fd);
    return file;
}

// minizip's view of a sink: a stream with a place to write at, which is the
// end when appending and an earlier place when minizip goes back to a local
// header.
class SinkStream {
public:
    explicit SinkStream(ZipSink& sink) : fSink(sink) {}

    void Fill(zlib_filefunc64_def& functions)
    {
        functions = {};
        functions.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
        functions.zread_file = [](voidpf, voidpf, void*, uLong) -> uLong { return 0; };
        functions.zwrite_file = [](voidpf opaque, voidpf, const void* buffer, uLong size) -> uLong {
            return static_cast<SinkStream*>(opaque)->Write(static_cast<const char*>(buffer), size);
        };
        functions.ztell64_file = [](voidpf opaque, voidpf) -> ZPOS64_T {
            return static_cast<SinkStream*>(opaque)->fPosition;
        };
        functions.zseek64_file = [](voidpf opaque, voidpf, ZPOS64_T offset, int origin) -> long {
            return static_cast<SinkStream*>(opaque)->Seek(offset, origin);
        };
        functions.zclose_file = [](voidpf, voidpf) -> int { return 0; };
        functions.zerror_file = [](voidpf opaque, voidpf) -> int {
            return static_cast<SinkStream*>(opaque)->fFailed ? 1 : 0;
        };
        functions.opaque = this;
    }

    bool Failed() const { return fFailed; }

private:
    uLong Write(const char* data, uLong size)
    {
        const uint64 end = fSink.Size();
        uLong done = 0;
        if (fPosition < end) {
            const size_t inside = size_t(std::min<uint64>(size, end - fPosition));
            if (fSink.Patch(fPosition, data, inside) != B_OK) {
                fFailed = true;
                return 0;
            }
            done = uLong(inside);
        }
        if (done < size && fSink.Append(data + done, size - done) != B_OK) {
            fFailed = true;
            return done;
        }
        fPosition += size;
        return size;
    }

    long Seek(ZPOS64_T offset, int origin)
    {
        // minizip passes backward moves as negative offsets in the unsigned
        // type, as the stdio functions it wraps take them.
        int64 target = 0;
        switch (origin) {
            case ZLIB_FILEFUNC_SEEK_SET: target = int64(offset); break;
            case ZLIB_FILEFUNC_SEEK_CUR: target = int64(fPosition) + int64(offset); break;
            case ZLIB_FILEFUNC_SEEK_END: target = int64(fSink.Size()) + int64(offset); break;
            default: return -1;
        }
        if (target < 0 || uint64(target) > fSink.Size())
            return -1;
        fPosition = uint64(target);
        return 0;
    }

    ZipSink& fSink;
    uint64 fPosition = 0;
    bool fFailed = false;
};

mode_t CurrentUmask()
{
    FILE* status = ::fopen("/proc/self/status", "r");
    mode_t mask = 022;
    if (status == nullptr)
        return mask;
    char line[256];
    while (::fgets(line, sizeof(line), status) != nullptr) {
        unsigned value = 0;
        if (::sscanf(line, "Umask: %o", &value) == 1) {
            mask = mode_t(value);
            break;
        }
    }
    ::fclose(status);
    return mask;
}

class TreeCollector {
public:
    TreeCollector(std::vector<Item>& items, dev_t skipDevice, ino_t skipNode)
        : fItems(items), fSkipDevice(skipDevice), fSkipNode(skipNode) {}

    bool Collect(const std::string& path, const std::string& name)
    {
        Item item;
        item.path = path;
        if (::lstat(path.c_str(), &item.st) != 0) {
            fprintf(stderr, "LibZip: cannot read %s: %s\n", path.c_str(), strerror(errno));
            return false;
        }
        if (item.st.st_dev == fSkipDevice && item.st.st_ino == fSkipNode)
            return true;
        const bool isDirectory = S_ISDIR(item.st.st_mode);
        item.name = isDirectory ? name + "/" : name;
        if (!isDirectory && !S_ISREG(item.st.st_mode) && !S_ISLNK(item.st.st_mode)) {
            fprintf(stderr, "LibZip: %s is neither a file, a folder nor a link; left out\n", path.c_str());
            return false;
        }
        fItems.push_back(item);
        if (!isDirectory)
            return true;

        DIR* dir = ::opendir(path.c_str());
        if (dir == nullptr) {
            fprintf(stderr, "LibZip: cannot read folder %s: %s\n", path.c_str(), strerror(errno));
            return false;
        }
        std::vector<std::string> children;
        while (struct dirent* entry = ::readdir(dir)) {
            if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                children.push_back(entry->d_name);
        }
        ::closedir(dir);
        std::sort(children.begin(), children.end());
        bool ok = true;
        for (const std::string& child : children)
            ok = Collect(path + "/" + child, name + "/" + child) && ok;
        return ok;
    }

private:
    std::vector<Item>& fItems;
    dev_t fSkipDevice;
    ino_t fSkipNode;
};

// Copies the entries of an existing archive that the new ones do not
// replace, unchanged (still compressed).
bool CopyOldEntries(const char* archive, zipFile zip, const std::set<std::string>& replaced)
{
    unzFile old = unzOpen64(archive);
    if (old == nullptr) {
        fprintf(stderr, "LibZip: %s exists but is not a zip archive\n", archive);
        return false;
    }
    bool ok = true;
    std::vector<char> name(65536);
    std::vector<char> centralExtra(65536);
    std::vector<char> buffer(kChunkSize);
    for (int result = unzGoToFirstFile(old); result == UNZ_OK; result = unzGoToNextFile(old)) {
        unz_file_info64 info = {};
        if (unzGetCurrentFileInfo64(old, &info, name.data(), uLong(name.size()), centralExtra.data(),
                uLong(centralExtra.size()), nullptr, 0) != UNZ_OK) {
            ok = false;
            break;
        }
        if (replaced.count(name.data()) != 0)
            continue;
        int method = 0;
        int level = 0;
        if (unzOpenCurrentFile2(old, &method, &level, 1) != UNZ_OK) {
            ok = false;
            continue;
        }
        std::vector<char> localExtra(65536);
        const int localSize = unzGetLocalExtrafield(old, localExtra.data(), unsigned(localExtra.size()));
        int localLength = std::max(localSize, 0);
        int centralLength = int(info.size_file_extra);
        // minizip writes its own zip64 fields when it needs them.
        zipRemoveExtraInfoBlock(localExtra.data(), &localLength, 0x0001);
        zipRemoveExtraInfoBlock(centralExtra.data(), &centralLength, 0x0001);
        zip_fileinfo zi = {};
        zi.dosDate = info.dosDate;
        zi.internal_fa = info.internal_fa;
        zi.external_fa = info.external_fa;
        const bool zip64 = info.uncompressed_size >= 0xffffffffull || info.compressed_size >= 0xffffffffull;
        if (zipOpenNewFileInZip4_64(zip, name.data(), &zi, localExtra.data(), uInt(localLength),
                centralExtra.data(), uInt(centralLength), nullptr, method, level, 1, -MAX_WBITS, DEF_MEM_LEVEL,
                Z_DEFAULT_STRATEGY, nullptr, 0, info.version, info.flag & ~uLong(0x000e), zip64 ? 1 : 0)
            != ZIP_OK) {
            unzCloseCurrentFile(old);
            ok = false;
            continue;
        }
        for (;;) {
            const int length = unzReadCurrentFile(old, buffer.data(), unsigned(buffer.size()));
            if (length < 0) {
                ok = false;
                break;
            }
            if (length == 0)
                break;
            if (zipWriteInFileInZip(zip, buffer.data(), unsigned(length)) != ZIP_OK) {
                ok = false;
                break;
            }
        }
        zipCloseFileInZipRaw64(zip, info.uncompressed_size, info.crc);
        unzCloseCurrentFile(old);
    }
    unzClose(old);
    if (!ok)
        fprintf(stderr, "LibZip: could not copy every entry of %s\n", archive);
    return ok;
}

} // namespace

status_t ZipWriter::AddTree(const char* archive, const char* source, int level, bool typeUntyped)
{
    if (archive == nullptr || source == nullptr || *archive == '\0' || *source == '\0')
        return B_BAD_VALUE;
    if (level < 0 || level > 9) {
        fprintf(stderr, "LibZip: compression level %d is not between 0 and 9\n", level);
        return B_BAD_VALUE;
    }
    const std::string leaf = LeafOf(source);
    if (leaf.empty() || leaf == "/" || leaf == "." || leaf == "..") {
        fprintf(stderr, "LibZip: %s has no name to store its entries under\n", source);
        return B_BAD_VALUE;
    }
    stop_point();

    struct stat archiveStat = {};
    const bool archivePresent = ::stat(archive, &archiveStat) == 0;
    if (archivePresent && !S_ISREG(archiveStat.st_mode)) {
        fprintf(stderr, "LibZip: %s is not a file\n", archive);
        return B_NOT_ALLOWED;
    }
    // An empty file (made beforehand to reserve the name) counts as none.
    const bool archiveExists = archivePresent && archiveStat.st_size > 0;

    // Write beside the archive into a file created exclusively, then rename
    // it into place: a link planted at the archive's name is replaced, never
    // followed, and an earlier archive stays whole until the new one is done.
    std::string temporary = ParentPathOf(archive) + "/.zip-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        fprintf(stderr, "LibZip: cannot create a file beside %s: %s\n", archive, strerror(errno));
        return status_from_errno(errno);
    }
    struct stat temporaryStat = {};
    ::fstat(fd, &temporaryStat);
    ::fchmod(fd, archivePresent ? (archiveStat.st_mode & 07777) : (0666 & ~CurrentUmask()));

    std::vector<Item> items;
    TreeCollector collector(items, temporaryStat.st_dev, temporaryStat.st_ino);
    bool ok = collector.Collect(source, leaf);

    zlib_filefunc64_def functions;
    fill_fopen64_filefunc(&functions);
    int descriptor = fd;
    functions.zopen64_file = OpenDescriptor;
    functions.opaque = &descriptor;
    zipFile zip = zipOpen2_64(temporary.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    ::close(fd);
    if (zip == nullptr) {
        fprintf(stderr, "LibZip: cannot write %s\n", archive);
        ::unlink(temporary.c_str());
        return B_IO_ERROR;
    }

    bool copied = true;
    if (archiveExists) {
        std::set<std::string> replaced;
        for (const Item& item : items)
            replaced.insert(item.name);
        copied = CopyOldEntries(archive, zip, replaced);
    }
    if (archivePresent) {
        items.erase(std::remove_if(items.begin(), items.end(),
                        [&](const Item& item) {
                            return item.st.st_dev == archiveStat.st_dev && item.st.st_ino == archiveStat.st_ino;
                        }),
            items.end());
    }
    ZipPackOptions options;
    options.level = level;
    options.typeUntyped = typeUntyped;
    ok = ZipTreePacker(zip, options).Pack(items) && ok;
    const bool closed = zipClose(zip, nullptr) == ZIP_OK;
    if (!closed || !copied || items.empty()) {
        // Never replace a good archive with a damaged or empty one.
        if (!closed)
            fprintf(stderr, "LibZip: error writing %s\n", archive);
        ::unlink(temporary.c_str());
        return B_ERROR;
    }
    if (::rename(temporary.c_str(), archive) != 0) {
        fprintf(stderr, "LibZip: cannot create %s: %s\n", archive, strerror(errno));
        ::unlink(temporary.c_str());
        return status_from_errno(errno);
    }
    return ok ? B_OK : B_ERROR;
}

status_t ZipWriter::WriteTree(ZipSink& sink, const char* source, const ZipPackOptions& options,
    const std::string& topName)
{
    if (source == nullptr || *source == '\0')
        return B_BAD_VALUE;
    if (options.level < 0 || options.level > 9) {
        fprintf(stderr, "LibZip: compression level %d is not between 0 and 9\n", options.level);
        return B_BAD_VALUE;
    }
    const std::string leaf = topName.empty() ? LeafOf(source) : topName;
    if (leaf.empty() || leaf == "/" || leaf == "." || leaf == ".." || leaf.find('/') != std::string::npos) {
        fprintf(stderr, "LibZip: %s has no name to store its entries under\n", source);
        return B_BAD_VALUE;
    }
    stop_point();
    std::vector<Item> items;
    TreeCollector collector(items, dev_t(-1), ino_t(-1));
    bool ok = collector.Collect(source, leaf);
    if (items.empty())
        return B_ERROR;

    SinkStream stream(sink);
    zlib_filefunc64_def functions;
    stream.Fill(functions);
    zipFile zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr) {
        fprintf(stderr, "LibZip: cannot start an archive of %s\n", source);
        return B_IO_ERROR;
    }
    ok = ZipTreePacker(zip, options).Pack(items) && ok;
    if (zipClose(zip, nullptr) != ZIP_OK || stream.Failed()) {
        fprintf(stderr, "LibZip: error writing the archive of %s\n", source);
        return B_IO_ERROR;
    }
    return ok ? B_OK : B_ERROR;
}
