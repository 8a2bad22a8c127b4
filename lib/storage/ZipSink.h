// Where ZipWriter::WriteTree puts an archive: bytes are appended, and bytes
// already written may be overwritten (each entry's local header receives its
// sizes and checksum after the entry's data). Offsets count from the
// archive's first byte.
#pragma once

#include <SupportDefs.h>

class ZipSink {
public:
    virtual ~ZipSink() = default;
    virtual status_t Append(const void* data, size_t length) = 0;
    // Overwrites [offset, offset + length), which lies within Size().
    virtual status_t Patch(uint64 offset, const void* data, size_t length) = 0;
    // Bytes appended so far.
    virtual uint64 Size() const = 0;
};
