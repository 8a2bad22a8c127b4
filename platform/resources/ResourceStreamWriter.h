// Writes a complete resource container into a new file in one pass: what
// comes before the resource area (an executable's image, or the "RS" mark of
// a resource file), the reserved header and index, every resource's data
// back to back as it is produced, then the info table; the header and index
// are filled in last, when every size is known. A resource's data can be
// streamed in pieces of any size and bytes already written can be patched
// (a zip writer going back to a local header), so nothing has to be staged
// in a scratch file or in memory first. Writes go through a large buffer.
//
// The caller owns the descriptor, renames or removes the file and decides
// about flushing it to disk.
#pragma once

#include "ResourceFormat.h"

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace ondelle::resources {

class ResourceStreamWriter {
public:
    // out: an empty file open for writing, written from its start.
    explicit ResourceStreamWriter(int out);
    ResourceStreamWriter(const ResourceStreamWriter&) = delete;
    ResourceStreamWriter& operator=(const ResourceStreamWriter&) = delete;

    // Writes what precedes the area of container: for an executable, its
    // image [0, base) read from imageFd (imageSize bytes long; missing bytes
    // up to base are zeros); for anything else the resource file mark. Then
    // reserves the header and index of exactly count resources.
    status_t Begin(const ContainerInfo& container, int imageFd, uint64 imageSize, size_t count);

    // Starts the data of the next resource. The previous one ends here.
    status_t BeginResource(type_code type, int32 id, const std::string& name);
    // Appends bytes to the current resource.
    status_t Write(const void* data, size_t length);
    // Appends length bytes of fd from offset (in the kernel where it can).
    status_t CopyFrom(int fd, uint64 offset, uint64 length);
    // Overwrites bytes [offset, offset + length) of the current resource,
    // which must all have been written already.
    status_t Patch(uint64 offset, const void* data, size_t length);
    // Bytes written into the current resource so far.
    uint64 ResourceSize() const;
    // A whole resource at once.
    status_t AddResource(type_code type, int32 id, const std::string& name, const void* data, size_t length);

    // Writes the tables after the last of the count resources. B_BAD_VALUE
    // when fewer or more resources were written than Begin() was told, or
    // the area does not fit the format's 32-bit offsets.
    status_t Finish();

    // Where resource index's data starts in the file, once it was begun,
    // and its size so far.
    uint64 DataOffset(size_t index) const { return fEntries[index].offset; }
    uint64 DataSize(size_t index) const
    {
        return index + 1 == fEntries.size() ? _Position() - fEntries[index].offset : fEntries[index].size;
    }
    // The type, id and name of resource index, once it was begun.
    type_code TypeAt(size_t index) const { return fEntries[index].type; }
    int32 IdAt(size_t index) const { return fEntries[index].id; }
    const std::string& NameAt(size_t index) const { return fEntries[index].name; }
    // Resources begun so far.
    size_t Begun() const { return fEntries.size(); }
    // Writes out the buffered bytes, so that everything written so far can
    // be read back from the file (to checksum it before the tables).
    status_t Sync();
    // Where the resource area starts, and the file's size after Finish().
    uint64 Base() const { return fBase; }
    uint64 FileSize() const { return _Position(); }
    // The first error met, or B_OK; every call after an error returns it.
    status_t Status() const { return fStatus; }

private:
    struct Entry {
        type_code type = 0;
        int32 id = 0;
        std::string name;
        uint64 offset = 0;
        uint64 size = 0;
    };

    status_t _Flush();
    status_t _Fail(status_t status);
    uint64 _Position() const { return fFlushed + fBuffer.size(); }

    int fOut;
    status_t fStatus = B_OK;
    bool fBegun = false;
    uint64 fBase = 0;
    size_t fCount = 0;
    uint64 fAdminSize = 0;
    std::vector<Entry> fEntries;
    // Bytes [fFlushed, fFlushed + fBuffer.size()) of the file wait in
    // fBuffer; everything before them is in the file.
    std::vector<uint8> fBuffer;
    uint64 fFlushed = 0;
};

} // namespace ondelle::resources
