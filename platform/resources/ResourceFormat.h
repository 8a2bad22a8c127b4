// The platform's resource container: recognising the file kinds that carry
// resources, finding where the resources start, parsing the resource tables
// and building new ones. Used by BResources; kept apart so that the parser
// can also run on bytes in memory.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace ondelle::resources {

// Random-access bytes: a file descriptor or a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads exactly length bytes at position; B_BAD_DATA when they are not
    // all there, an I/O status on read errors.
    virtual status_t ReadAt(uint64 position, void* buffer, size_t length) const = 0;
    virtual uint64 Size() const = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : fData(static_cast<const uint8*>(data)), fSize(size) {}
    status_t ReadAt(uint64 position, void* buffer, size_t length) const override;
    uint64 Size() const override { return fSize; }

private:
    const uint8* fData;
    size_t fSize;
};

class FdSource final : public ByteSource {
public:
    FdSource(int fd, uint64 size) : fFd(fd), fSize(size) {}
    status_t ReadAt(uint64 position, void* buffer, size_t length) const override;
    uint64 Size() const override { return fSize; }

private:
    int fFd;
    uint64 fSize;
};

enum class ContainerKind {
    kEmpty,        // empty file: becomes an x86 resource file when written
    kResourceFile, // "RS": x86 stand-alone resource file
    kPpcResourceFile, // "Joy!resf": PowerPC-style stand-alone resource file
    kElf,          // ELF executable, library or add-on
    kPef,          // PowerPC PEF executable
};

struct ContainerInfo {
    ContainerKind kind = ContainerKind::kEmpty;
    // Where the resource area starts (file offset) and where it is written.
    // Everything before it is the container's own and is kept as it is when
    // the file is rewritten.
    uint64 base = 0;
    // A second place to look when no resources are found at base: our
    // earlier 64-bit builds aligned the area like a 32-bit image's (to the
    // largest segment alignment) instead of the platform's 8 bytes.
    uint64 alternateBase = 0;
    bool hasAlternate = false;
};

// Recognises the container and computes the resource base. B_BAD_DATA when
// the file is none of the known kinds or its headers are damaged.
status_t DetectContainer(const ByteSource& source, ContainerInfo& info);

// Computes the resource base of an ELF image from its headers: the end of
// every header, segment and section, rounded up to the largest segment
// alignment (at least 32) for a 32-bit image and to 8 bytes for a 64-bit
// one. alternate receives the segment-aligned offset of a 64-bit image (the
// base itself for a 32-bit one). Exposed for the tests and the documentation.
status_t ElfResourceBase(const ByteSource& source, uint64& base, uint64* alternate);

struct ResourceEntry {
    type_code type = 0;
    int32 id = 0;
    std::string name;
    uint64 offset = 0; // absolute file offset of the data
    uint64 size = 0;
};

// Parses the resource area at base. An area that starts at or past the end
// of the file is empty. Every offset is checked against the file, so the
// entries returned can be read without further checks.
status_t ParseResourceArea(const ByteSource& source, uint64 base, std::vector<ResourceEntry>& entries,
    bool* bigEndian = nullptr);

// Parses the resources of a recognised container: at info.base, and when
// nothing is found there (no area, an empty one or a damaged one) at the
// alternate base, whichever holds resources. Entries carry file offsets.
status_t ReadContainerResources(const ByteSource& source, const ContainerInfo& info,
    std::vector<ResourceEntry>& entries);

// Limits of the format (offsets are 32-bit) and of what we accept.
constexpr uint32 kResourcesHeaderMagic = 0x444F1000;
constexpr uint32 kResourcesHeaderSize = 68;
constexpr uint32 kIndexSectionOffset = 0x44;
constexpr uint32 kIndexSectionHeaderSize = 132;
constexpr uint32 kIndexEntrySize = 12;
constexpr uint32 kIndexSectionAlignment = 0x600;
constexpr uint32 kUnknownSectionSize = 0x168;
constexpr uint32 kMaxResourceCount = 10000;
constexpr uint64 kMaxInfoTableSize = 16 << 20;
constexpr uint64 kMaxElfAlignment = 10 << 20;
constexpr uint64 kPpcResourceBase = 0x28;
constexpr uint64 kX86ResourceBase = 4;

// What the writer needs to know about each resource, in file order.
struct ResourceLayoutEntry {
    type_code type = 0;
    int32 id = 0;
    const std::string* name = nullptr;
    uint64 size = 0;
};

// The fixed part of a new little-endian resource area (header, index
// section, unknown section) and the info table that follows the data.
// Data offsets are relative to the area's base, back to back from
// DataStart() in entry order.
class ResourceAreaWriter {
public:
    // B_BAD_VALUE when there are too many resources or the area would not fit
    // the format's 32-bit offsets.
    status_t Prepare(const std::vector<ResourceLayoutEntry>& entries);

    uint64 DataStart() const { return fDataStart; }
    const std::vector<uint8>& AdminBytes() const { return fAdmin; }
    const std::vector<uint8>& InfoTableBytes() const { return fInfoTable; }
    // Total bytes from base to the end of the info table.
    uint64 AreaSize() const;

private:
    std::vector<uint8> fAdmin;
    std::vector<uint8> fInfoTable;
    uint64 fDataStart = 0;
    uint64 fDataSize = 0;
};

// Checksum of an info table (everything before the check record).
uint32 InfoTableChecksum(const uint8* data, size_t size);

// The filler word that belongs at offset (from base) of unused table space.
uint32 FillerWord(uint64 offset);

} // namespace ondelle::resources
