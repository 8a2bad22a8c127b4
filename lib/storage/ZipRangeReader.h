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
    // Copies size bytes of the range from position into buffer, from the
    // read-ahead windows when they hold them; false when the range is not
    // open or ends before.
    bool ReadAt(uint64 position, char* buffer, size_t size);
    // The file's descriptor while the range is open, else -1; the range
    // starts at Offset() in it.
    int Descriptor() const { return fFd; }
    off_t Offset() const { return fOffset; }

private:
    static voidpf OpenStream(voidpf opaque, const void* name, int mode);
    static uLong ReadStream(voidpf opaque, voidpf stream, void* buffer, uLong size);
    static uLong WriteStream(voidpf opaque, voidpf stream, const void* buffer, uLong size);
    static ZPOS64_T TellStream(voidpf opaque, voidpf stream);
    static long SeekStream(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
    static int CloseStream(voidpf opaque, voidpf stream);
    static int ErrorStream(voidpf opaque, voidpf stream);

    uLong Read(char* buffer, uLong size);
    // The window holding position, or null.
    struct Window;
    Window* WindowAt(uint64 position);

    std::string fFile;
    off_t fOffset;
    uint64 fLength;
    int fFd = -1;
    bool fFailed = false;
    uint64 fPosition = 0;
    // Two read-ahead windows, each bytes [start, start + fill) of the range:
    // minizip alternates between the central directory at the archive's end
    // and the entries' data, and each keeps its own window instead of
    // refilling one for every entry. A miss refills the one used longer ago.
    struct Window {
        std::vector<char> data;
        uint64 start = 0;
        size_t fill = 0;
        uint64 lastUse = 0;
    };
    Window fWindows[2];
    uint64 fUses = 0;
};
