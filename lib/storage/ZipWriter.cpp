#include "ZipWriter.h"

#include "NodeAttributes.h"
#include "ToolRunner.h"
#include "ZipExtraFields.h"

#include <MimeType.h>
#include <StopPoint.h>
#include <TypeConstants.h>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// "Version made by": Unix host, zip format version 3.0, as Info-ZIP writes it.
const uLong kVersionMadeBy = (3 << 8) | 30;
const size_t kChunkSize = 256 * 1024;
// How much of a file a guess of its type looks at.
const size_t kSniffSize = 16 * 1024;

struct Item {
    std::string path;
    std::string name;
    struct stat st;
};

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

void FillTime(zip_fileinfo& info, time_t when)
{
    struct tm local = {};
    ::localtime_r(&when, &local);
    if (local.tm_year < 80) {
        local = {};
        local.tm_year = 80;
        local.tm_mday = 1;
    }
    info.tmz_date.tm_sec = uInt(local.tm_sec);
    info.tmz_date.tm_min = uInt(local.tm_min);
    info.tmz_date.tm_hour = uInt(local.tm_hour);
    info.tmz_date.tm_mday = uInt(local.tm_mday);
    info.tmz_date.tm_mon = uInt(local.tm_mon);
    info.tmz_date.tm_year = uInt(local.tm_year + 1900);
}

// Builds the local and central extra areas of one item: time stamp, owner
// and, when the node has attributes, the "Be" field. Attributes that cannot
// fit into the 64 KiB extra area are left out and reported.
// The file type of an item that has none: the folder type for folders, the
// type guessed from the name and the first block for files.
void AddMissingType(const Item& item, int fd, ZipAttributeList& attributes)
{
    for (const ZipAttribute& attribute : attributes) {
        if (attribute.name == "BEOS:TYPE")
            return;
    }
    BMimeType type;
    if (S_ISDIR(item.st.st_mode)) {
        type.SetTo(B_DIRECTORY_MIME_TYPE);
    } else if (S_ISREG(item.st.st_mode) && fd >= 0) {
        std::vector<char> head(kSniffSize);
        const ssize_t length = ::pread(fd, head.data(), head.size(), 0);
        const size_t slash = item.path.rfind('/');
        const std::string leaf = slash == std::string::npos ? item.path : item.path.substr(slash + 1);
        if (length < 0 || BMimeType::GuessMimeType(leaf.c_str(), head.data(), int32(length), &type) != B_OK)
            return;
    } else {
        return;
    }
    if (type.Type() == nullptr)
        return;
    ZipAttribute attribute;
    attribute.name = "BEOS:TYPE";
    attribute.type = B_MIME_STRING_TYPE;
    attribute.data.assign(type.Type());
    attribute.data.push_back('\0');
    attributes.push_back(attribute);
}

bool BuildExtras(const Item& item, bool zip64, bool typeUntyped, int fd, std::string& local, std::string& central)
{
    const uint32 modified = uint32(item.st.st_mtime);
    const uint32 accessed = uint32(item.st.st_atime);
    local = ZipExtra::BuildTimeField(true, modified, accessed)
        + ZipExtra::BuildUnix2Field(true, item.st.st_uid, item.st.st_gid);
    central = ZipExtra::BuildTimeField(false, modified, accessed)
        + ZipExtra::BuildUnix2Field(false, item.st.st_uid, item.st.st_gid);

    ZipAttributeList attributes;
    bool complete = true;
    if (ReadNodeAttributes(item.path.c_str(), attributes) != B_OK) {
        fprintf(stderr, "LibZip: cannot read the attributes of %s\n", item.path.c_str());
        complete = false;
    }
    if (typeUntyped)
        AddMissingType(item, fd, attributes);
    if (attributes.empty())
        return complete;

    // minizip appends its own zip64 field (20 bytes) to the local area.
    const size_t room = ZipExtra::kMaxExtraSize - local.size() - (zip64 ? 20 : 0);
    std::string beLocal;
    std::string beCentral;
    while (!attributes.empty()) {
        if (ZipExtra::BuildBeFields(ZipExtra::EncodeAttributeBlock(attributes), room, beLocal, beCentral)) {
            local += beLocal;
            central += beCentral;
            break;
        }
        fprintf(stderr, "LibZip: attribute \"%s\" of %s does not fit into the archive; left out\n",
            attributes.back().name.c_str(), item.path.c_str());
        attributes.pop_back();
        complete = false;
    }
    return complete;
}

bool AddItem(zipFile zip, const Item& item, int level, bool typeUntyped)
{
    stop_point();
    const bool isLink = S_ISLNK(item.st.st_mode);
    const bool isDirectory = S_ISDIR(item.st.st_mode);
    std::string linkTarget;
    int fd = -1;
    if (isLink) {
        std::vector<char> buffer(size_t(std::max<off_t>(item.st.st_size, 255)) + 1);
        const ssize_t length = ::readlink(item.path.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            fprintf(stderr, "LibZip: cannot read link %s: %s\n", item.path.c_str(), strerror(errno));
            return false;
        }
        linkTarget.assign(buffer.data(), size_t(length));
    } else if (!isDirectory) {
        fd = ::open(item.path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            fprintf(stderr, "LibZip: could not open %s for reading: %s\n", item.path.c_str(), strerror(errno));
            return false;
        }
    }
    std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* f) { if (*f >= 0) ::close(*f); });

    const bool zip64 = !isLink && !isDirectory && uint64(item.st.st_size) >= 0xffffffffull;
    std::string localExtra;
    std::string centralExtra;
    bool ok = BuildExtras(item, zip64, typeUntyped, fd, localExtra, centralExtra);

    zip_fileinfo info = {};
    FillTime(info, item.st.st_mtime);
    info.external_fa = (uLong(item.st.st_mode & 0xffff) << 16) | (isDirectory ? 0x10 : 0)
        | ((item.st.st_mode & S_IWUSR) == 0 ? 0x01 : 0);
    const bool store = level == 0 || isLink || isDirectory;
    if (zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, localExtra.data(), uInt(localExtra.size()),
            centralExtra.data(), uInt(centralExtra.size()), nullptr, store ? 0 : Z_DEFLATED, store ? 0 : level,
            0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy, 0, zip64 ? 1 : 0)
        != ZIP_OK) {
        fprintf(stderr, "LibZip: cannot add %s to the archive\n", item.name.c_str());
        return false;
    }
    if (isLink) {
        if (zipWriteInFileInZip(zip, linkTarget.data(), unsigned(linkTarget.size())) != ZIP_OK)
            ok = false;
    } else if (fd >= 0) {
        std::vector<char> buffer(kChunkSize);
        for (;;) {
            const ssize_t length = ::read(fd, buffer.data(), buffer.size());
            if (length < 0 && errno == EINTR)
                continue;
            if (length < 0) {
                fprintf(stderr, "LibZip: error reading %s: %s\n", item.path.c_str(), strerror(errno));
                ok = false;
                break;
            }
            if (length == 0)
                break;
            if (zipWriteInFileInZip(zip, buffer.data(), unsigned(length)) != ZIP_OK) {
                fprintf(stderr, "LibZip: error writing the archive\n");
                ok = false;
                break;
            }
        }
    }
    if (zipCloseFileInZip(zip) != ZIP_OK)
        ok = false;
    return ok;
}

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
    for (const Item& item : items) {
        if (archivePresent && item.st.st_dev == archiveStat.st_dev && item.st.st_ino == archiveStat.st_ino)
            continue;
        ok = AddItem(zip, item, level, typeUntyped) && ok;
    }
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
