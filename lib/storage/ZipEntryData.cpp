#include "ZipEntryData.h"

#include <DataDigest.h>

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

const int kStored = 0;
const int kDeflated = 8;

// Deflate adds a few bytes per block even to data it cannot shrink; an
// entry far larger than its data is damaged (or hostile) and is left to
// the streaming reader, which reports it.
uint64 MostCompressed(uint64 size)
{
    return size + size / 8 + 1024;
}

bool WriteAll(int out, const char* data, size_t size, int& error)
{
    for (size_t done = 0; done < size;) {
        const ssize_t written = ::write(out, data + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        done += size_t(written);
    }
    return true;
}

} // namespace

ZipEntryData::ZipEntryData(const Reader& reader, int source, off_t sourceOffset)
    : fReader(reader), fSource(source), fSourceOffset(sourceOffset)
{
}

ZipEntryData::~ZipEntryData()
{
    libdeflate_free_decompressor(fDecompressor);
}

bool ZipEntryData::Handles(const ZipEntryLocation& entry) const
{
    if (entry.method == kStored)
        return true;
    return entry.method == kDeflated && entry.size > 0 && entry.size <= kWholeLimit && entry.compressedSize > 0
        && entry.compressedSize <= MostCompressed(entry.size);
}

ZipEntryData::Result ZipEntryData::Write(const ZipEntryLocation& entry, int out, DataDigest* digest,
    const FirstBlock& first, const CancelCheck& cancel, int& error)
{
    error = 0;
    if (cancel && cancel())
        return kCancelled;
    if (entry.method == kStored)
        return _WriteStored(entry, out, digest, first, cancel, error);
    return _WriteDeflated(entry, out, digest, first, error);
}

ZipEntryData::Result ZipEntryData::_WriteDeflated(const ZipEntryLocation& entry, int out, DataDigest* digest,
    const FirstBlock& first, int& error)
{
    if (fDecompressor == nullptr) {
        fDecompressor = libdeflate_alloc_decompressor();
        if (fDecompressor == nullptr) {
            error = ENOMEM;
            return kNotWritten;
        }
    }
    fIn.resize(size_t(entry.compressedSize));
    fOut.resize(size_t(entry.size));
    if (!fReader(entry.position, fIn.data(), fIn.size()))
        return kDamaged;
    // The whole entry must inflate to exactly its size.
    if (libdeflate_deflate_decompress(fDecompressor, fIn.data(), fIn.size(), fOut.data(), fOut.size(), nullptr)
        != LIBDEFLATE_SUCCESS)
        return kDamaged;
    if (libdeflate_crc32(0, fOut.data(), fOut.size()) != entry.crc)
        return kBadCrc;
    if (first)
        first(fOut.data(), std::min(fOut.size(), kFirstBlock));
    if (digest != nullptr)
        digest->Add(fOut.data(), fOut.size());
    return WriteAll(out, fOut.data(), fOut.size(), error) ? kWritten : kNotWritten;
}

ZipEntryData::Result ZipEntryData::_WriteStored(const ZipEntryLocation& entry, int out, DataDigest* digest,
    const FirstBlock& first, const CancelCheck& cancel, int& error)
{
    if (entry.compressedSize != entry.size)
        return kDamaged;
    fIn.resize(size_t(std::clamp<uint64>(entry.size, 1, kCopyChunk)));
    uint32 crc = 0;
    bool firstDone = !first;
    // Each chunk is read for the checks, then copied by the kernel from the
    // same place: a damaged chunk is found before it reaches the file, and
    // a file system that shares extents gets the copy for nothing.
    for (uint64 done = 0; done < entry.size;) {
        if (done > 0 && cancel && cancel())
            return kCancelled;
        const size_t now = size_t(std::min<uint64>(entry.size - done, kCopyChunk));
        if (!fReader(entry.position + done, fIn.data(), now))
            return kDamaged;
        crc = libdeflate_crc32(crc, fIn.data(), now);
        if (done + now == entry.size && crc != entry.crc)
            return kBadCrc;
        if (!firstDone) {
            first(fIn.data(), std::min(now, kFirstBlock));
            firstDone = true;
        }
        if (digest != nullptr)
            digest->Add(fIn.data(), now);
        if (!_Copy(entry.position + done, fIn.data(), now, out, error))
            return kNotWritten;
        done += now;
    }
    if (entry.size == 0) {
        if (entry.crc != 0)
            return kBadCrc;
        if (!firstDone)
            first(fIn.data(), 0);
    }
    return kWritten;
}

bool ZipEntryData::_Copy(uint64 position, const char* buffer, size_t size, int out, int& error)
{
    size_t done = 0;
    while (!fNoKernelCopy && done < size) {
        loff_t from = fSourceOffset + loff_t(position + done);
        const ssize_t copied = ::copy_file_range(fSource, &from, out, nullptr, size - done, 0);
        if (copied > 0) {
            done += size_t(copied);
            continue;
        }
        if (copied < 0 && errno == EINTR)
            continue;
        // Different file systems on older kernels, no such call, or files
        // it does not take: memory holds the bytes anyway.
        if (copied < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP
                              || errno == EBADF || errno == EPERM)) {
            fNoKernelCopy = true;
            break;
        }
        // The archive ended early (0) or the target refused the data.
        if (copied == 0) {
            break;
        }
        error = errno;
        return false;
    }
    return WriteAll(out, buffer + done, size - done, error);
}
