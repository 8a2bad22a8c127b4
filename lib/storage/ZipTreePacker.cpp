#include "ZipTreePacker.h"

#include "NodeAttributes.h"
#include "ZipExtraFields.h"

#include <MimeType.h>
#include <StopPoint.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace {

// "Version made by": Unix host, zip format version 3.0, as Info-ZIP writes it.
const uLong kVersionMadeBy = (3 << 8) | 30;
// Pieces in which files are read.
const size_t kChunkSize = 256 * 1024;
// How much of a file a guess of its type looks at.
const size_t kSniffSize = 16 * 1024;
// Entries prepared ahead of the writer, at most, per worker.
const size_t kEntriesAheadPerWorker = 16;

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

bool IsStreamed(const ZipTreeEntry& entry)
{
    return S_ISREG(entry.st.st_mode) && uint64(entry.st.st_size) > ZipTreePacker::kInMemoryLimit;
}

// What an entry holds in memory while it waits for the writer.
uint64 BytesHeld(const ZipTreeEntry& entry)
{
    return S_ISREG(entry.st.st_mode) && !IsStreamed(entry) ? uint64(entry.st.st_size) : 0;
}

std::string LeafOfPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// A raw deflate stream with the parameters every entry is written with,
// reset between entries.
class ZipTreePacker::Deflater {
public:
    explicit Deflater(int level)
    {
        fReady = level > 0
            && deflateInit2(&fStream, level, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (fReady)
            deflateEnd(&fStream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool Reset() { return fReady && deflateReset(&fStream) == Z_OK; }

    // Deflates length bytes onto the end of out; finish ends the stream.
    bool Add(const char* data, size_t length, bool finish, std::string& out)
    {
        fStream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        fStream.avail_in = uInt(length);
        for (;;) {
            const size_t room = std::max<size_t>(deflateBound(&fStream, uLong(length)), 4096);
            const size_t used = out.size();
            out.resize(used + room);
            fStream.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            fStream.avail_out = uInt(room);
            const int result = deflate(&fStream, finish ? Z_FINISH : Z_NO_FLUSH);
            out.resize(used + room - fStream.avail_out);
            if (result == Z_STREAM_END)
                return true;
            if (result != Z_OK && result != Z_BUF_ERROR)
                return false;
            if (fStream.avail_in == 0 && !finish)
                return true;
        }
    }

private:
    z_stream fStream = {};
    bool fReady = false;
};

struct ZipTreePacker::Prepared {
    bool ok = true;
    // The entry could not be read at all and is left out.
    bool skip = false;
    // Problems to report, in the order they were met.
    std::string messages;
    std::string localExtra;
    std::string centralExtra;
    // The entry's stored bytes (deflated or as they are), its checksum and
    // its size before deflating. A streamed file keeps its descriptor.
    std::string data;
    uLong crc = 0;
    uint64 size = 0;
    bool deflated = false;
    bool streamed = false;
    int fd = -1;

    Prepared() = default;
    Prepared(Prepared&& other) noexcept { *this = std::move(other); }
    Prepared& operator=(Prepared&& other) noexcept
    {
        if (this != &other) {
            CloseFile();
            ok = other.ok;
            skip = other.skip;
            messages = std::move(other.messages);
            localExtra = std::move(other.localExtra);
            centralExtra = std::move(other.centralExtra);
            data = std::move(other.data);
            crc = other.crc;
            size = other.size;
            deflated = other.deflated;
            streamed = other.streamed;
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }
    ~Prepared() { CloseFile(); }

    void CloseFile()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void Report(const char* format, const std::string& first, const std::string& second = std::string())
    {
        char line[1024];
        std::snprintf(line, sizeof(line), format, first.c_str(), second.c_str());
        messages += line;
    }
};

namespace {

// The file type of an entry that has none: the folder type for folders, the
// type guessed from the name and the first block for files.
void AddMissingType(const ZipTreeEntry& entry, const std::string& head, ZipAttributeList& attributes)
{
    for (const ZipAttribute& attribute : attributes) {
        if (attribute.name == "BEOS:TYPE")
            return;
    }
    BMimeType type;
    if (S_ISDIR(entry.st.st_mode)) {
        type.SetTo(B_DIRECTORY_MIME_TYPE);
    } else if (S_ISREG(entry.st.st_mode)) {
        if (BMimeType::GuessMimeType(LeafOfPath(entry.path).c_str(), head.data(), int32(head.size()), &type)
            != B_OK)
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

} // namespace

ZipTreePacker::ZipTreePacker(zipFile zip, const ZipPackOptions& options)
    : fZip(zip), fOptions(options)
{
}

ZipTreePacker::Prepared ZipTreePacker::_Prepare(const ZipTreeEntry& entry, Deflater& deflater) const
{
    Prepared prepared;
    const bool isLink = S_ISLNK(entry.st.st_mode);
    const bool isDirectory = S_ISDIR(entry.st.st_mode);
    std::string head;
    if (isLink) {
        std::vector<char> buffer(size_t(std::max<off_t>(entry.st.st_size, 255)) + 1);
        const ssize_t length = ::readlink(entry.path.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            prepared.Report("LibZip: cannot read link %s: %s\n", entry.path, std::strerror(errno));
            prepared.ok = false;
            prepared.skip = true;
            return prepared;
        }
        prepared.data.assign(buffer.data(), size_t(length));
        prepared.size = prepared.data.size();
        prepared.crc = crc32(0, reinterpret_cast<const Bytef*>(prepared.data.data()), uInt(prepared.data.size()));
    } else if (!isDirectory) {
        prepared.fd = ::open(entry.path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (prepared.fd < 0) {
            prepared.Report("LibZip: could not open %s for reading: %s\n", entry.path, std::strerror(errno));
            prepared.ok = false;
            prepared.skip = true;
            return prepared;
        }
        if (IsStreamed(entry)) {
            // Deflated by the writer straight into the archive; only the
            // first block is read here, for a type guess.
            prepared.streamed = true;
            if (fOptions.typeUntyped) {
                head.resize(kSniffSize);
                const ssize_t length = ::pread(prepared.fd, head.data(), head.size(), 0);
                head.resize(length > 0 ? size_t(length) : 0);
            }
        } else {
            prepared.deflated = fOptions.level > 0;
            if (prepared.deflated && !deflater.Reset()) {
                prepared.Report("LibZip: cannot deflate %s%s\n", entry.path);
                prepared.ok = false;
                prepared.skip = true;
                return prepared;
            }
            std::string chunk(kChunkSize, '\0');
            for (;;) {
                const ssize_t length = ::read(prepared.fd, chunk.data(), chunk.size());
                if (length < 0 && errno == EINTR)
                    continue;
                if (length < 0) {
                    prepared.Report("LibZip: error reading %s: %s\n", entry.path, std::strerror(errno));
                    prepared.ok = false;
                    break;
                }
                if (head.empty() && length > 0)
                    head.assign(chunk.data(), std::min(size_t(length), kSniffSize));
                prepared.crc = crc32(prepared.crc, reinterpret_cast<const Bytef*>(chunk.data()), uInt(length));
                prepared.size += uint64(length);
                if (prepared.deflated) {
                    if (!deflater.Add(chunk.data(), size_t(length), length == 0, prepared.data)) {
                        prepared.Report("LibZip: cannot deflate %s%s\n", entry.path);
                        prepared.ok = false;
                        break;
                    }
                } else {
                    prepared.data.append(chunk.data(), size_t(length));
                }
                if (length == 0)
                    break;
            }
            prepared.CloseFile();
        }
    }

    // Time stamp, owner and, when the node has attributes, the "Be" field.
    const uint32 modified = uint32(entry.st.st_mtime);
    const uint32 accessed = uint32(entry.st.st_atime);
    prepared.localExtra = ZipExtra::BuildTimeField(true, modified, accessed)
        + ZipExtra::BuildUnix2Field(true, entry.st.st_uid, entry.st.st_gid);
    prepared.centralExtra = ZipExtra::BuildTimeField(false, modified, accessed)
        + ZipExtra::BuildUnix2Field(false, entry.st.st_uid, entry.st.st_gid);
    ZipAttributeList attributes;
    if (ReadNodeAttributes(entry.path.c_str(), attributes) != B_OK) {
        prepared.Report("LibZip: cannot read the attributes of %s%s\n", entry.path);
        prepared.ok = false;
    }
    if (fOptions.typeUntyped)
        AddMissingType(entry, head, attributes);
    if (attributes.empty())
        return prepared;
    // Attributes that cannot fit into the 64 KiB extra area are left out and
    // reported; minizip appends its own zip64 field (20 bytes) to the local
    // area of a streamed file that needs one.
    const bool zip64 = uint64(entry.st.st_size) >= 0xffffffffull && prepared.streamed;
    const size_t room = ZipExtra::kMaxExtraSize - prepared.localExtra.size() - (zip64 ? 20 : 0);
    std::string beLocal;
    std::string beCentral;
    while (!attributes.empty()) {
        if (ZipExtra::BuildBeFields(ZipExtra::EncodeAttributeBlock(attributes), room, beLocal, beCentral)) {
            prepared.localExtra += beLocal;
            prepared.centralExtra += beCentral;
            break;
        }
        prepared.Report("LibZip: attribute \"%s\" of %s does not fit into the archive; left out\n",
            attributes.back().name, entry.path);
        attributes.pop_back();
        prepared.ok = false;
    }
    return prepared;
}

bool ZipTreePacker::_Write(const ZipTreeEntry& entry, Prepared& prepared)
{
    std::fputs(prepared.messages.c_str(), stderr);
    if (prepared.skip)
        return false;
    if (prepared.streamed)
        return _WriteStreamed(entry, prepared);
    const bool isDirectory = S_ISDIR(entry.st.st_mode);
    zip_fileinfo info = {};
    FillTime(info, entry.st.st_mtime);
    info.external_fa = (uLong(entry.st.st_mode & 0xffff) << 16) | (isDirectory ? 0x10 : 0)
        | ((entry.st.st_mode & S_IWUSR) == 0 ? 0x01 : 0);
    // The data is ready: minizip writes it as it is, with the checksum and
    // size given.
    if (zipOpenNewFileInZip4_64(fZip, entry.name.c_str(), &info, prepared.localExtra.data(),
            uInt(prepared.localExtra.size()), prepared.centralExtra.data(), uInt(prepared.centralExtra.size()),
            nullptr, prepared.deflated ? Z_DEFLATED : 0, prepared.deflated ? fOptions.level : 0, 1, -MAX_WBITS,
            DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy, 0, 0)
        != ZIP_OK) {
        std::fprintf(stderr, "LibZip: cannot add %s to the archive\n", entry.name.c_str());
        return false;
    }
    bool ok = prepared.ok;
    if (!prepared.data.empty()
        && zipWriteInFileInZip(fZip, prepared.data.data(), unsigned(prepared.data.size())) != ZIP_OK) {
        std::fprintf(stderr, "LibZip: error writing the archive\n");
        ok = false;
    }
    if (zipCloseFileInZipRaw64(fZip, prepared.size, prepared.crc) != ZIP_OK)
        ok = false;
    return ok;
}

bool ZipTreePacker::_WriteStreamed(const ZipTreeEntry& entry, Prepared& prepared)
{
    const bool zip64 = uint64(entry.st.st_size) >= 0xffffffffull;
    zip_fileinfo info = {};
    FillTime(info, entry.st.st_mtime);
    info.external_fa = (uLong(entry.st.st_mode & 0xffff) << 16) | ((entry.st.st_mode & S_IWUSR) == 0 ? 0x01 : 0);
    const bool store = fOptions.level == 0;
    if (zipOpenNewFileInZip4_64(fZip, entry.name.c_str(), &info, prepared.localExtra.data(),
            uInt(prepared.localExtra.size()), prepared.centralExtra.data(), uInt(prepared.centralExtra.size()),
            nullptr, store ? 0 : Z_DEFLATED, store ? 0 : fOptions.level, 0, -MAX_WBITS, DEF_MEM_LEVEL,
            Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy, 0, zip64 ? 1 : 0)
        != ZIP_OK) {
        std::fprintf(stderr, "LibZip: cannot add %s to the archive\n", entry.name.c_str());
        return false;
    }
    bool ok = prepared.ok;
    std::vector<char> buffer(kChunkSize);
    for (;;) {
        stop_point();
        const ssize_t length = ::read(prepared.fd, buffer.data(), buffer.size());
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0) {
            std::fprintf(stderr, "LibZip: error reading %s: %s\n", entry.path.c_str(), std::strerror(errno));
            ok = false;
            break;
        }
        if (length == 0)
            break;
        if (zipWriteInFileInZip(fZip, buffer.data(), unsigned(length)) != ZIP_OK) {
            std::fprintf(stderr, "LibZip: error writing the archive\n");
            ok = false;
            break;
        }
    }
    prepared.CloseFile();
    if (zipCloseFileInZip(fZip) != ZIP_OK)
        ok = false;
    return ok;
}

int ZipTreePacker::_WorkerCount(size_t entries) const
{
    if (fOptions.workers >= 0)
        return entries > 1 ? fOptions.workers : 0;
    const unsigned cores = std::thread::hardware_concurrency();
    return entries > 1 && cores > 1 ? int(cores) : 0;
}

bool ZipTreePacker::Pack(const std::vector<ZipTreeEntry>& entries)
{
    const int workers = _WorkerCount(entries.size());
    bool ok = true;
    if (workers == 0) {
        Deflater deflater(fOptions.level);
        for (const ZipTreeEntry& entry : entries) {
            stop_point();
            Prepared prepared = _Prepare(entry, deflater);
            ok = _Write(entry, prepared) && ok;
        }
        return ok;
    }

    // Workers take the entries in order, as far ahead of the writer as the
    // limits allow; the writer takes each result in order.
    std::mutex lock;
    std::condition_variable workAllowed;
    std::condition_variable resultReady;
    std::vector<Prepared> results(entries.size());
    std::vector<bool> ready(entries.size(), false);
    size_t next = 0;
    size_t written = 0;
    uint64 bytesAhead = 0;
    bool quit = false;
    const size_t maxAhead = kEntriesAheadPerWorker * size_t(workers);

    auto work = [&] {
        Deflater deflater(fOptions.level);
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            workAllowed.wait(guard, [&] {
                if (quit || next >= entries.size())
                    return true;
                const uint64 bytes = BytesHeld(entries[next]);
                return next < written + maxAhead && (bytesAhead == 0 || bytesAhead + bytes <= kMaxBytesAhead);
            });
            if (quit || next >= entries.size())
                return;
            const size_t index = next++;
            bytesAhead += BytesHeld(entries[index]);
            guard.unlock();
            Prepared prepared = _Prepare(entries[index], deflater);
            guard.lock();
            results[index] = std::move(prepared);
            ready[index] = true;
            resultReady.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; i++)
        threads.emplace_back(work);

    for (size_t index = 0; index < entries.size(); index++) {
        stop_point();
        Prepared prepared;
        {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(guard, [&] { return ready[index]; });
            prepared = std::move(results[index]);
        }
        ok = _Write(entries[index], prepared) && ok;
        {
            std::lock_guard<std::mutex> guard(lock);
            written = index + 1;
            bytesAhead -= BytesHeld(entries[index]);
        }
        workAllowed.notify_all();
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        quit = true;
    }
    workAllowed.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    return ok;
}
