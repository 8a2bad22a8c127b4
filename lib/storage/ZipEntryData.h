// Places the data of one zip entry into a new file without going through
// minizip's stream: a deflated entry up to kWholeLimit bytes is read and
// inflated in one call (libdeflate), a stored entry of any size is copied
// by the kernel from the archive into the file (copy_file_range), falling
// back to read and write where the file systems cannot. The CRC-32 and,
// when asked, the SHA-256 of the data are taken in the same pass: a
// deflated entry's from the inflated bytes, a stored entry's from the
// archive's bytes as they are read for the check, just before the kernel
// copies that range. Larger deflated entries stay with minizip's streaming
// reader, which needs no buffer the size of the file.
#pragma once

#include <SupportDefs.h>

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class DataDigest;
struct libdeflate_decompressor;

// Where an entry's data lies and what it should give.
struct ZipEntryLocation {
    int method = 0;             // 0 stored, 8 deflated
    uint64 position = 0;        // of the data, from the archive's start
    uint64 compressedSize = 0;
    uint64 size = 0;            // uncompressed
    uint32 crc = 0;
};

class ZipEntryData {
public:
    // Deflated entries up to this size are inflated in one call.
    static constexpr uint64 kWholeLimit = 8 << 20;
    // Bytes of a stored entry checked and copied at a time.
    static constexpr size_t kCopyChunk = 1 << 20;
    // Bytes handed to the first-block callback at most, as much as the
    // streaming reader hands over in its first read.
    static constexpr size_t kFirstBlock = 256 * 1024;

    enum Result {
        kWritten,
        kDamaged,   // the data cannot be read or inflated as the entry says
        kBadCrc,    // read whole, but its CRC-32 is not the entry's
        kNotWritten, // the new file refused the data; error holds errno
        kCancelled
    };

    // Reads size bytes of the archive at position into buffer; false when
    // the archive ends before or cannot be read.
    using Reader = std::function<bool(uint64 position, char* buffer, size_t size)>;
    using FirstBlock = std::function<void(const char* data, size_t size)>;
    using CancelCheck = std::function<bool()>;

    // source is the archive's descriptor with the archive starting at
    // sourceOffset (the kernel copies from it); reader reads the same bytes.
    ZipEntryData(const Reader& reader, int source, off_t sourceOffset);
    ~ZipEntryData();
    ZipEntryData(const ZipEntryData&) = delete;
    ZipEntryData& operator=(const ZipEntryData&) = delete;

    // Whether Write() places the entry; the rest go through the stream.
    bool Handles(const ZipEntryLocation& entry) const;

    // Writes the entry's data to out (a new, empty file). digest, when not
    // null, receives the data; first is called once with the start of the
    // data before anything is written; cancel is asked between chunks.
    Result Write(const ZipEntryLocation& entry, int out, DataDigest* digest, const FirstBlock& first,
        const CancelCheck& cancel, int& error);

private:
    Result _WriteDeflated(const ZipEntryLocation& entry, int out, DataDigest* digest, const FirstBlock& first,
        int& error);
    Result _WriteStored(const ZipEntryLocation& entry, int out, DataDigest* digest, const FirstBlock& first,
        const CancelCheck& cancel, int& error);
    // Copies size bytes of the archive at position to out's current place;
    // buffer holds the same bytes for the fallback.
    bool _Copy(uint64 position, const char* buffer, size_t size, int out, int& error);

    Reader fReader;
    int fSource;
    off_t fSourceOffset;
    // The kernel copy failed for a reason that will not change: the rest
    // of this archive is written from memory.
    bool fNoKernelCopy = false;
    libdeflate_decompressor* fDecompressor = nullptr;
    std::vector<char> fIn;
    std::vector<char> fOut;
};
