#include "ZipRangeReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large enough that a stored or well-compressed entry is read in a few
// calls, small enough to stay in the cache.
const size_t kReadAhead = 256 * 1024;

} // namespace

ZipRangeReader::ZipRangeReader(const char* file, off_t offset, uint64 length)
    : fFile(file != nullptr ? file : ""), fOffset(offset), fLength(length)
{
}

ZipRangeReader::~ZipRangeReader()
{
    if (fFd >= 0)
        ::close(fFd);
}

unzFile ZipRangeReader::Open()
{
    if (fFile.empty() || fOffset < 0)
        return nullptr;
    zlib_filefunc64_def functions = {};
    functions.zopen64_file = &OpenStream;
    functions.zread_file = &ReadStream;
    functions.zwrite_file = &WriteStream;
    functions.ztell64_file = &TellStream;
    functions.zseek64_file = &SeekStream;
    functions.zclose_file = &CloseStream;
    functions.zerror_file = &ErrorStream;
    functions.opaque = this;
    return unzOpen2_64(fFile.c_str(), &functions);
}

voidpf ZipRangeReader::OpenStream(voidpf opaque, const void* /*name*/, int mode)
{
    auto* self = static_cast<ZipRangeReader*>(opaque);
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || self->fFd >= 0)
        return nullptr;
    self->fFd = ::open(self->fFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (self->fFd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(self->fFd, &st) != 0 || uint64(st.st_size) < uint64(self->fOffset)
        || uint64(st.st_size) - uint64(self->fOffset) < self->fLength) {
        ::close(self->fFd);
        self->fFd = -1;
        return nullptr;
    }
    self->fPosition = 0;
    for (Window& window : self->fWindows)
        window = Window();
    self->fFailed = false;
    return self;
}

ZipRangeReader::Window* ZipRangeReader::WindowAt(uint64 position)
{
    for (Window& window : fWindows) {
        if (position >= window.start && position < window.start + window.fill) {
            window.lastUse = ++fUses;
            return &window;
        }
    }
    return nullptr;
}

uLong ZipRangeReader::Read(char* buffer, uLong size)
{
    uLong done = 0;
    while (done < size && fPosition < fLength) {
        if (Window* window = WindowAt(fPosition)) {
            const size_t at = size_t(fPosition - window->start);
            const size_t now = std::min(size_t(size - done), window->fill - at);
            std::memcpy(buffer + done, window->data.data() + at, now);
            done += uLong(now);
            fPosition += now;
            continue;
        }
        const uint64 left = fLength - fPosition;
        char* into;
        size_t want;
        const bool direct = size - done >= kReadAhead;
        Window& window = fWindows[0].lastUse <= fWindows[1].lastUse ? fWindows[0] : fWindows[1];
        if (direct) {
            // A large read goes straight into the caller's buffer.
            into = buffer + done;
            want = size_t(std::min<uint64>(size - done, left));
        } else {
            // Near the end the window ends with the range: minizip looks
            // for the end records there backwards, a little at a time, and
            // a window reaching forward from each place would be read anew
            // for every step.
            const uint64 start = left >= kReadAhead ? fPosition : fLength > kReadAhead ? fLength - kReadAhead : 0;
            window.data.resize(kReadAhead);
            into = window.data.data();
            want = size_t(std::min<uint64>(kReadAhead, fLength - start));
            window.start = start;
            window.fill = 0;
        }
        const uint64 from = direct ? fPosition : window.start;
        const ssize_t got = ::pread(fFd, into, want, fOffset + off_t(from));
        if (got < 0 && errno == EINTR)
            continue;
        // A file cut short since it was opened may end before the place
        // asked for.
        if (got <= 0 || (!direct && from + uint64(got) <= fPosition)) {
            fFailed = true;
            break;
        }
        if (direct) {
            done += uLong(got);
            fPosition += uint64(got);
        } else {
            window.fill = size_t(got);
        }
    }
    return done;
}

bool ZipRangeReader::ReadAt(uint64 position, char* buffer, size_t size)
{
    if (fFd < 0 || position > fLength || fLength - position < size)
        return false;
    if (Window* window = WindowAt(position)) {
        const size_t at = size_t(position - window->start);
        if (window->fill - at >= size) {
            std::memcpy(buffer, window->data.data() + at, size);
            return true;
        }
    }
    for (size_t done = 0; done < size;) {
        const ssize_t got = ::pread(fFd, buffer + done, size - done, fOffset + off_t(position + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

uLong ZipRangeReader::ReadStream(voidpf opaque, voidpf /*stream*/, void* buffer, uLong size)
{
    return static_cast<ZipRangeReader*>(opaque)->Read(static_cast<char*>(buffer), size);
}

uLong ZipRangeReader::WriteStream(voidpf /*opaque*/, voidpf /*stream*/, const void* /*buffer*/, uLong /*size*/)
{
    return 0;
}

ZPOS64_T ZipRangeReader::TellStream(voidpf opaque, voidpf /*stream*/)
{
    return static_cast<ZipRangeReader*>(opaque)->fPosition;
}

long ZipRangeReader::SeekStream(voidpf opaque, voidpf /*stream*/, ZPOS64_T offset, int origin)
{
    auto* self = static_cast<ZipRangeReader*>(opaque);
    // minizip passes backward moves from the current place (over an extra
    // field it has just read) as negative offsets in the unsigned type, as
    // the stdio functions it wraps take them.
    int64 target = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            if (offset > self->fLength)
                return -1;
            target = int64(offset);
            break;
        case ZLIB_FILEFUNC_SEEK_CUR: target = int64(self->fPosition) + int64(offset); break;
        case ZLIB_FILEFUNC_SEEK_END: target = int64(self->fLength) + int64(offset); break;
        default: return -1;
    }
    // Places past the range's end are refused: minizip searches the end of
    // the archive backwards from the range's last byte, never beyond it.
    if (target < 0 || uint64(target) > self->fLength)
        return -1;
    self->fPosition = uint64(target);
    return 0;
}

int ZipRangeReader::CloseStream(voidpf opaque, voidpf /*stream*/)
{
    auto* self = static_cast<ZipRangeReader*>(opaque);
    if (self->fFd >= 0)
        ::close(self->fFd);
    self->fFd = -1;
    return 0;
}

int ZipRangeReader::ErrorStream(voidpf opaque, voidpf /*stream*/)
{
    return static_cast<ZipRangeReader*>(opaque)->fFailed ? 1 : 0;
}
