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
#include <memory>
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

// The blocks a file is deflated in: one for files up to a block's size.
size_t BlockCount(const ZipTreeEntry& entry)
{
    if (!S_ISREG(entry.st.st_mode) || uint64(entry.st.st_size) <= ZipTreePacker::kBlockSize)
        return 1;
    return size_t((uint64(entry.st.st_size) + ZipTreePacker::kBlockSize - 1) / ZipTreePacker::kBlockSize);
}

// The bytes of history a block's deflate stream starts from.
const size_t kDictionarySize = 32 * 1024;

// Deflated data that saves less than this share of the bytes (1/32, about
// 3 %) is stored instead: unpacking then copies it without inflating.
bool WorthDeflating(uint64 deflated, uint64 size)
{
    return deflated < size - size / 32;
}

std::string LeafOfPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// A raw deflate stream with the parameters every entry is written with,
// reset between blocks.
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

    // Starts a new stream, continuing from history when it is not empty.
    bool Reset(const std::string& history)
    {
        if (!fReady || deflateReset(&fStream) != Z_OK)
            return false;
        return history.empty()
            || deflateSetDictionary(&fStream, reinterpret_cast<const Bytef*>(history.data()), uInt(history.size()))
            == Z_OK;
    }

    // Deflates length bytes onto the end of out. flush is Z_NO_FLUSH while
    // more input follows, Z_SYNC_FLUSH to end a block on a byte boundary,
    // Z_FINISH to end the stream.
    bool Add(const char* data, size_t length, int flush, std::string& out)
    {
        fStream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        fStream.avail_in = uInt(length);
        for (;;) {
            const size_t room = std::max<size_t>(deflateBound(&fStream, uLong(length)), 4096);
            const size_t used = out.size();
            out.resize(used + room);
            fStream.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            fStream.avail_out = uInt(room);
            const int result = deflate(&fStream, flush);
            const bool full = fStream.avail_out == 0;
            out.resize(used + room - fStream.avail_out);
            if (result == Z_STREAM_END)
                return true;
            if (result != Z_OK && result != Z_BUF_ERROR)
                return false;
            // Done when the input is taken and, for a flush, all output
            // came out (deflate leaves room unused then).
            if (fStream.avail_in == 0 && (flush == Z_NO_FLUSH || !full))
                return flush != Z_FINISH;
        }
    }

private:
    z_stream fStream = {};
    bool fReady = false;
};

// One piece of work: a whole entry, or one block of a large file.
struct ZipTreePacker::Task {
    size_t entry = 0;
    size_t block = 0;
    size_t blocks = 1;
    // Bytes of the file this task reads (0 for folders and links).
    uint64 bytes = 0;
};

struct ZipTreePacker::Prepared {
    bool ok = true;
    // The entry could not be read at all and is left out.
    bool skip = false;
    // Problems to report, in the order they were met.
    std::string messages;
    // Only in an entry's first task.
    std::string localExtra;
    std::string centralExtra;
    // The stored bytes (deflated or as they are), their checksum and their
    // size before deflating.
    std::string data;
    uLong crc = 0;
    uint64 size = 0;
    bool deflated = false;
    // A block of a large deflated file also keeps its bytes as they are:
    // the entry is stored after all when its first block hardly shrinks.
    std::string raw;

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

// Reads exactly length bytes at offset; false when the file ends before.
bool ReadExactly(int fd, char* into, size_t length, uint64 offset)
{
    while (length > 0) {
        const ssize_t got = ::pread(fd, into, length, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        into += got;
        length -= size_t(got);
        offset += uint64(got);
    }
    return true;
}

} // namespace

ZipTreePacker::ZipTreePacker(zipFile zip, const ZipPackOptions& options)
    : fZip(zip), fOptions(options)
{
}

void ZipTreePacker::_PrepareFile(const ZipTreeEntry& entry, const Task& task, Deflater& deflater,
    Prepared& prepared, std::string& head) const
{
    const int fd = ::open(entry.path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        prepared.Report("LibZip: could not open %s for reading: %s\n", entry.path, std::strerror(errno));
        prepared.ok = false;
        prepared.skip = true;
        return;
    }
    std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* f) {
        ::close(*f);
        delete f;
    });
    prepared.deflated = fOptions.level > 0;

    if (task.blocks > 1) {
        // One block of a large file: the bytes before it are its history.
        const uint64 start = uint64(task.block) * kBlockSize;
        const size_t history = task.block == 0 ? 0 : kDictionarySize;
        std::string bytes(history + size_t(task.bytes), '\0');
        if (!ReadExactly(fd, bytes.data(), bytes.size(), start - history)) {
            prepared.Report("LibZip: error reading %s: %s\n", entry.path,
                errno != 0 ? std::strerror(errno) : "it became shorter");
            prepared.ok = false;
            return;
        }
        const char* data = bytes.data() + history;
        if (task.block == 0 && fOptions.typeUntyped)
            head.assign(data, std::min<size_t>(size_t(task.bytes), kSniffSize));
        prepared.crc = crc32(0, reinterpret_cast<const Bytef*>(data), uInt(task.bytes));
        prepared.size = task.bytes;
        if (!prepared.deflated) {
            prepared.data.assign(data, size_t(task.bytes));
            return;
        }
        prepared.raw.assign(data, size_t(task.bytes));
        if (!deflater.Reset(bytes.substr(0, history))
            || !deflater.Add(data, size_t(task.bytes), task.block + 1 == task.blocks ? Z_FINISH : Z_SYNC_FLUSH,
                prepared.data)) {
            prepared.Report("LibZip: cannot deflate %s%s\n", entry.path);
            prepared.ok = false;
        }
        return;
    }

    // A file of one block is read to its end, whatever its size became.
    if (prepared.deflated && !deflater.Reset(std::string())) {
        prepared.Report("LibZip: cannot deflate %s%s\n", entry.path);
        prepared.ok = false;
        prepared.skip = true;
        return;
    }
    std::string chunk(kChunkSize, '\0');
    std::string raw;
    for (;;) {
        const ssize_t length = ::read(fd, chunk.data(), chunk.size());
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
            raw.append(chunk.data(), size_t(length));
            if (!deflater.Add(chunk.data(), size_t(length), length == 0 ? Z_FINISH : Z_NO_FLUSH, prepared.data)) {
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
    if (prepared.ok && prepared.deflated && !WorthDeflating(prepared.data.size(), prepared.size)) {
        prepared.data = std::move(raw);
        prepared.deflated = false;
    }
}

void ZipTreePacker::_AddExtras(const ZipTreeEntry& entry, const std::string& head, Prepared& prepared) const
{
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
        return;
    // Attributes that cannot fit into the 64 KiB extra area are left out and
    // reported; minizip appends its own zip64 field (20 bytes) to the local
    // area of a file that needs one.
    const bool zip64 = uint64(entry.st.st_size) >= 0xffffffffull;
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
}

ZipTreePacker::Prepared ZipTreePacker::_Prepare(const ZipTreeEntry& entry, const Task& task,
    Deflater& deflater) const
{
    Prepared prepared;
    std::string head;
    if (S_ISLNK(entry.st.st_mode)) {
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
    } else if (!S_ISDIR(entry.st.st_mode)) {
        _PrepareFile(entry, task, deflater, prepared, head);
        if (prepared.skip)
            return prepared;
    }
    if (task.block == 0)
        _AddExtras(entry, head, prepared);
    return prepared;
}

bool ZipTreePacker::_Write(const ZipTreeEntry& entry, const Task& task, Prepared& prepared)
{
    // The later blocks of an entry that was left out say nothing more, nor
    // do those after a block that failed.
    if (task.block > 0 && !fEntryOpen)
        return false;
    if (task.block == 0 || fEntryOk)
        std::fputs(prepared.messages.c_str(), stderr);
    if (task.block == 0) {
        if (prepared.skip)
            return false;
        // A large file is stored whole when its first block hardly shrinks.
        if (task.blocks > 1 && prepared.deflated && !WorthDeflating(prepared.data.size(), prepared.size))
            prepared.deflated = false;
        const bool isDirectory = S_ISDIR(entry.st.st_mode);
        const bool zip64 = S_ISREG(entry.st.st_mode) && uint64(entry.st.st_size) >= 0xffffffffull;
        zip_fileinfo info = {};
        FillTime(info, entry.st.st_mtime);
        info.external_fa = (uLong(entry.st.st_mode & 0xffff) << 16) | (isDirectory ? 0x10 : 0)
            | ((entry.st.st_mode & S_IWUSR) == 0 ? 0x01 : 0);
        // The data is ready: minizip writes it as it is, with the checksum
        // and size given at the end.
        if (zipOpenNewFileInZip4_64(fZip, entry.name.c_str(), &info, prepared.localExtra.data(),
                uInt(prepared.localExtra.size()), prepared.centralExtra.data(),
                uInt(prepared.centralExtra.size()), nullptr, prepared.deflated ? Z_DEFLATED : 0,
                prepared.deflated ? fOptions.level : 0, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                0, kVersionMadeBy, 0, zip64 ? 1 : 0)
            != ZIP_OK) {
            std::fprintf(stderr, "LibZip: cannot add %s to the archive\n", entry.name.c_str());
            return false;
        }
        fEntryOpen = true;
        fEntryStored = !prepared.deflated;
        fEntryOk = true;
        fEntryCrc = 0;
        fEntrySize = 0;
    }
    if (!fEntryOpen)
        return false;
    fEntryOk = fEntryOk && prepared.ok;
    // After a block that failed, the entry gets no more data: the archive
    // stays readable and the caller learns that it is incomplete.
    if (fEntryStored && task.blocks > 1 && !prepared.raw.empty())
        prepared.data = std::move(prepared.raw);
    if (fEntryOk && !prepared.data.empty()
        && zipWriteInFileInZip(fZip, prepared.data.data(), unsigned(prepared.data.size())) != ZIP_OK) {
        std::fprintf(stderr, "LibZip: error writing the archive\n");
        fEntryOk = false;
    }
    if (fEntryOk) {
        fEntryCrc = task.block == 0 ? prepared.crc : crc32_combine64(fEntryCrc, prepared.crc, off64_t(prepared.size));
        fEntrySize += prepared.size;
    }
    if (task.block + 1 < task.blocks)
        return fEntryOk;
    fEntryOpen = false;
    if (zipCloseFileInZipRaw64(fZip, fEntrySize, fEntryCrc) != ZIP_OK)
        fEntryOk = false;
    return fEntryOk;
}

int ZipTreePacker::_WorkerCount(size_t tasks) const
{
    if (fOptions.workers >= 0)
        return tasks > 1 ? fOptions.workers : 0;
    const unsigned cores = std::thread::hardware_concurrency();
    return tasks > 1 && cores > 1 ? int(cores) : 0;
}

bool ZipTreePacker::Pack(const std::vector<ZipTreeEntry>& entries)
{
    std::vector<Task> tasks;
    for (size_t index = 0; index < entries.size(); index++) {
        const ZipTreeEntry& entry = entries[index];
        const size_t blocks = BlockCount(entry);
        for (size_t block = 0; block < blocks; block++) {
            Task task;
            task.entry = index;
            task.block = block;
            task.blocks = blocks;
            if (S_ISREG(entry.st.st_mode)) {
                const uint64 size = uint64(entry.st.st_size);
                task.bytes = blocks == 1 ? size : std::min<uint64>(kBlockSize, size - uint64(block) * kBlockSize);
            }
            tasks.push_back(task);
        }
    }

    const int workers = _WorkerCount(tasks.size());
    bool ok = true;
    fEntryOpen = false;
    if (workers == 0) {
        Deflater deflater(fOptions.level);
        for (const Task& task : tasks) {
            stop_point();
            Prepared prepared = _Prepare(entries[task.entry], task, deflater);
            ok = _Write(entries[task.entry], task, prepared) && ok;
        }
        return ok;
    }

    // Workers take the tasks in order, as far ahead of the writer as the
    // limits allow; the writer takes each result in order.
    std::mutex lock;
    std::condition_variable workAllowed;
    std::condition_variable resultReady;
    std::vector<Prepared> results(tasks.size());
    std::vector<bool> ready(tasks.size(), false);
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
                if (quit || next >= tasks.size())
                    return true;
                return next < written + maxAhead
                    && (bytesAhead == 0 || bytesAhead + tasks[next].bytes <= kMaxBytesAhead);
            });
            if (quit || next >= tasks.size())
                return;
            const Task& task = tasks[next++];
            bytesAhead += task.bytes;
            guard.unlock();
            Prepared prepared = _Prepare(entries[task.entry], task, deflater);
            guard.lock();
            const size_t index = size_t(&task - tasks.data());
            results[index] = std::move(prepared);
            ready[index] = true;
            resultReady.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; i++)
        threads.emplace_back(work);

    for (size_t index = 0; index < tasks.size(); index++) {
        stop_point();
        Prepared prepared;
        {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(guard, [&] { return ready[index]; });
            prepared = std::move(results[index]);
        }
        const Task& task = tasks[index];
        ok = _Write(entries[task.entry], task, prepared) && ok;
        prepared = Prepared();
        {
            std::lock_guard<std::mutex> guard(lock);
            written = index + 1;
            bytesAhead -= task.bytes;
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
