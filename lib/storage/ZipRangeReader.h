// Reads a zip archive that lies inside a larger file (a resource of a
// build), in place: minizip sees only the range, through a read-ahead
// buffer, and nothing is copied out first.
#pragma once

#include <SupportDefs.h>

#include <minizip/unzip.h>

#include <string>
#include <sys/types.h>
#include <vector>

class ZipRangeReader {
public:
    // The range [offset, offset + length) of file; nothing is opened yet.
    ZipRangeReader(const char* file, off_t offset, uint64 length);
    ~ZipRangeReader();
    ZipRangeReader(const ZipRangeReader&) = delete;
    ZipRangeReader& operator=(const ZipRangeReader&) = delete;

    // Opens the archive for minizip; null when the file cannot be opened or
    // the range is no zip archive. Close with unzClose().
    unzFile Open();

private:
    static voidpf OpenStream(voidpf opaque, const void* name, int mode);
    static uLong ReadStream(voidpf opaque, voidpf stream, void* buffer, uLong size);
    static uLong WriteStream(voidpf opaque, voidpf stream, const void* buffer, uLong size);
    static ZPOS64_T TellStream(voidpf opaque, voidpf stream);
    static long SeekStream(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
    static int CloseStream(voidpf opaque, voidpf stream);
    static int ErrorStream(voidpf opaque, voidpf stream);

    uLong Read(char* buffer, uLong size);

    std::string fFile;
    off_t fOffset;
    uint64 fLength;
    int fFd = -1;
    bool fFailed = false;
    uint64 fPosition = 0;
    // The read-ahead window: bytes [fBufferStart, fBufferStart + fBufferFill)
    // of the range.
    std::vector<char> fBuffer;
    uint64 fBufferStart = 0;
    size_t fBufferFill = 0;
};
