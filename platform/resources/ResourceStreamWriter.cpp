#include "ResourceStreamWriter.h"

#include "FileReplacer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ondelle::resources {

namespace {

// Writes reach the file in pieces of this size.
constexpr size_t kBufferSize = 1 << 20;

status_t WriteAllAt(int fd, const uint8* bytes, size_t length, uint64 offset)
{
    while (length > 0) {
        const ssize_t written = ::pwrite(fd, bytes, length, off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        if (written == 0)
            return B_IO_ERROR;
        bytes += written;
        length -= size_t(written);
        offset += uint64(written);
    }
    return B_OK;
}

} // namespace

ResourceStreamWriter::ResourceStreamWriter(int out)
    : fOut(out)
{
    fBuffer.reserve(kBufferSize);
}

status_t ResourceStreamWriter::_Fail(status_t status)
{
    if (fStatus == B_OK)
        fStatus = status;
    return fStatus;
}

status_t ResourceStreamWriter::_Flush()
{
    if (fStatus != B_OK)
        return fStatus;
    if (fBuffer.empty())
        return B_OK;
    const status_t status = WriteAllAt(fOut, fBuffer.data(), fBuffer.size(), fFlushed);
    if (status != B_OK)
        return _Fail(status);
    fFlushed += fBuffer.size();
    fBuffer.clear();
    return B_OK;
}

status_t ResourceStreamWriter::Begin(const ContainerInfo& container, int imageFd, uint64 imageSize, size_t count)
{
    if (fStatus != B_OK)
        return fStatus;
    if (fBegun || count > kMaxResourceCount)
        return _Fail(B_BAD_VALUE);
    fBegun = true;
    fCount = count;
    fEntries.reserve(count);

    switch (container.kind) {
        case ContainerKind::kEmpty:
        case ContainerKind::kResourceFile:
            fBase = kX86ResourceBase;
            Write("RS\0\0", 4);
            break;
        case ContainerKind::kPpcResourceFile:
        case ContainerKind::kElf:
        case ContainerKind::kPef: {
            // What comes before the resources stays as it was.
            fBase = container.base;
            const uint64 kept = std::min(fBase, imageSize);
            if (kept > 0 && CopyFrom(imageFd, 0, kept) != B_OK)
                return fStatus;
            const std::vector<uint8> zeros(size_t(std::min<uint64>(fBase - kept, kBufferSize)), 0);
            for (uint64 left = fBase - kept; left > 0 && fStatus == B_OK;) {
                const size_t now = size_t(std::min<uint64>(left, zeros.size()));
                Write(zeros.data(), now);
                left -= now;
            }
            break;
        }
    }
    if (fStatus != B_OK)
        return fStatus;

    // The header and index only depend on the number of resources; they are
    // written with the real offsets and sizes at the end.
    std::vector<ResourceLayoutEntry> layout(count);
    ResourceAreaWriter writer;
    status_t status = writer.Prepare(layout);
    if (status != B_OK)
        return _Fail(status);
    fAdminSize = writer.DataStart();
    status = _Flush();
    if (status != B_OK)
        return status;
    // The reserved space is left as a hole until Finish() fills it.
    fFlushed += fAdminSize;
    return B_OK;
}

status_t ResourceStreamWriter::BeginResource(type_code type, int32 id, const std::string& name)
{
    if (fStatus != B_OK)
        return fStatus;
    if (!fBegun || fEntries.size() >= fCount)
        return _Fail(B_BAD_VALUE);
    if (!fEntries.empty())
        fEntries.back().size = _Position() - fEntries.back().offset;
    Entry entry;
    entry.type = type;
    entry.id = id;
    entry.name = name;
    entry.offset = _Position();
    fEntries.push_back(std::move(entry));
    return B_OK;
}

uint64 ResourceStreamWriter::ResourceSize() const
{
    return fEntries.empty() ? 0 : _Position() - fEntries.back().offset;
}

status_t ResourceStreamWriter::Write(const void* data, size_t length)
{
    if (fStatus != B_OK)
        return fStatus;
    const uint8* bytes = static_cast<const uint8*>(data);
    while (length > 0) {
        if (fBuffer.empty() && length >= kBufferSize) {
            // A large piece goes straight to the file.
            const status_t status = WriteAllAt(fOut, bytes, length, fFlushed);
            if (status != B_OK)
                return _Fail(status);
            fFlushed += length;
            return B_OK;
        }
        const size_t now = std::min(length, kBufferSize - fBuffer.size());
        fBuffer.insert(fBuffer.end(), bytes, bytes + now);
        bytes += now;
        length -= now;
        if (fBuffer.size() == kBufferSize && _Flush() != B_OK)
            return fStatus;
    }
    return B_OK;
}

status_t ResourceStreamWriter::CopyFrom(int fd, uint64 offset, uint64 length)
{
    if (_Flush() != B_OK)
        return fStatus;
    if (::lseek(fOut, off_t(fFlushed), SEEK_SET) < 0)
        return _Fail(status_from_errno(errno));
    const status_t status = CopyFileRange(fd, offset, fOut, length);
    if (status != B_OK)
        return _Fail(status);
    fFlushed += length;
    return B_OK;
}

status_t ResourceStreamWriter::Patch(uint64 offset, const void* data, size_t length)
{
    if (fStatus != B_OK)
        return fStatus;
    if (fEntries.empty() || offset > ResourceSize() || length > ResourceSize() - offset)
        return _Fail(B_BAD_VALUE);
    const uint8* bytes = static_cast<const uint8*>(data);
    uint64 at = fEntries.back().offset + offset;
    // The part that already reached the file is written there, the rest
    // changed in the buffer.
    if (at < fFlushed) {
        const size_t inFile = size_t(std::min<uint64>(length, fFlushed - at));
        const status_t status = WriteAllAt(fOut, bytes, inFile, at);
        if (status != B_OK)
            return _Fail(status);
        bytes += inFile;
        length -= inFile;
        at += inFile;
    }
    if (length > 0)
        std::memcpy(fBuffer.data() + (at - fFlushed), bytes, length);
    return B_OK;
}

status_t ResourceStreamWriter::AddResource(type_code type, int32 id, const std::string& name, const void* data,
    size_t length)
{
    if (BeginResource(type, id, name) != B_OK)
        return fStatus;
    return Write(data, length);
}

status_t ResourceStreamWriter::Sync()
{
    if (fStatus != B_OK)
        return fStatus;
    return _Flush();
}

status_t ResourceStreamWriter::Finish()
{
    if (fStatus != B_OK)
        return fStatus;
    if (!fBegun || fEntries.size() != fCount)
        return _Fail(B_BAD_VALUE);
    if (!fEntries.empty())
        fEntries.back().size = _Position() - fEntries.back().offset;

    std::vector<ResourceLayoutEntry> layout;
    layout.reserve(fEntries.size());
    for (const Entry& entry : fEntries)
        layout.push_back({entry.type, entry.id, &entry.name, entry.size});
    ResourceAreaWriter writer;
    status_t status = writer.Prepare(layout);
    if (status != B_OK)
        return _Fail(status);
    // Prepare() lays the data out back to back from the end of the index,
    // which is where it was written.
    if (writer.DataStart() != fAdminSize
        || (!fEntries.empty() && fEntries.front().offset != fBase + fAdminSize))
        return _Fail(B_ERROR);
    if (Write(writer.InfoTableBytes().data(), writer.InfoTableBytes().size()) != B_OK || _Flush() != B_OK)
        return fStatus;
    status = WriteAllAt(fOut, writer.AdminBytes().data(), writer.AdminBytes().size(), fBase);
    if (status != B_OK)
        return _Fail(status);
    if (fFlushed != fBase + writer.AreaSize())
        return _Fail(B_IO_ERROR);
    return B_OK;
}

} // namespace ondelle::resources
