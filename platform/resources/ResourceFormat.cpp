#include "ResourceFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ondelle::resources {

namespace {

uint16 Read16(const uint8* p, bool bigEndian)
{
    return bigEndian ? uint16((p[0] << 8) | p[1]) : uint16(p[0] | (p[1] << 8));
}

uint32 Read32(const uint8* p, bool bigEndian)
{
    if (bigEndian)
        return (uint32(p[0]) << 24) | (uint32(p[1]) << 16) | (uint32(p[2]) << 8) | uint32(p[3]);
    return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24);
}

uint64 Read64(const uint8* p, bool bigEndian)
{
    uint64 a = Read32(p, bigEndian);
    uint64 b = Read32(p + 4, bigEndian);
    return bigEndian ? (a << 32) | b : (b << 32) | a;
}

void Put32(uint8* p, uint32 value)
{
    p[0] = uint8(value);
    p[1] = uint8(value >> 8);
    p[2] = uint8(value >> 16);
    p[3] = uint8(value >> 24);
}

void Append32(std::vector<uint8>& out, uint32 value)
{
    uint8 bytes[4];
    Put32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

// a + b, or UINT64_MAX when that overflows.
uint64 SaturatingAdd(uint64 a, uint64 b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

uint64 RoundUp(uint64 value, uint64 alignment)
{
    uint64 rest = value % alignment;
    return rest == 0 ? value : SaturatingAdd(value, alignment - rest);
}

bool Overlaps(uint64 aStart, uint64 aSize, uint64 bStart, uint64 bSize)
{
    if (aSize == 0 || bSize == 0)
        return false;
    return aStart < bStart + bSize && bStart < aStart + aSize;
}

bool IsSeparator(const uint8* p)
{
    for (int i = 0; i < 8; i++) {
        if (p[i] != 0xFF)
            return false;
    }
    return true;
}

constexpr uint32 kElfSegmentNull = 0;   // PT_NULL
constexpr uint32 kElfSectionNull = 0;   // SHT_NULL
constexpr uint32 kElfSectionNoBits = 8; // SHT_NOBITS
constexpr uint64 kMinElfAlignment = 32;
constexpr uint64 kElf64Alignment = 8;
constexpr uint32 kMaxIndexSlots = 65536;

status_t PefResourceBase(const ByteSource& source, uint64& base)
{
    uint8 header[40];
    status_t status = source.ReadAt(0, header, sizeof(header));
    if (status != B_OK)
        return status;
    uint32 sectionCount = Read16(header + 32, true);
    base = 40 + 28ull * sectionCount;
    if (base > source.Size())
        return B_BAD_DATA;
    for (uint32 i = 0; i < sectionCount; i++) {
        uint8 section[28];
        status = source.ReadAt(40 + 28ull * i, section, sizeof(section));
        if (status != B_OK)
            return status;
        uint64 end = uint64(Read32(section + 16, true)) + Read32(section + 20, true);
        if (end > source.Size())
            return B_BAD_DATA;
        base = std::max(base, end);
    }
    return B_OK;
}

} // namespace

status_t MemorySource::ReadAt(uint64 position, void* buffer, size_t length) const
{
    if (position > fSize || length > fSize - position)
        return B_BAD_DATA;
    if (length > 0)
        memcpy(buffer, fData + position, length);
    return B_OK;
}

status_t FdSource::ReadAt(uint64 position, void* buffer, size_t length) const
{
    if (position > fSize || length > fSize - position)
        return B_BAD_DATA;
    uint8* out = static_cast<uint8*>(buffer);
    while (length > 0) {
        ssize_t got = pread(fFd, out, length, off_t(position));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        if (got == 0)
            return B_BAD_DATA; // the file shrank under us
        out += got;
        position += uint64(got);
        length -= size_t(got);
    }
    return B_OK;
}

uint32 FillerWord(uint64 offset)
{
    static const uint32 kPattern[3] = {0xFFFFFFFF, 0x000003E9, 0x00000000};
    return kPattern[(offset / 4) % 3];
}

uint32 InfoTableChecksum(const uint8* data, size_t size)
{
    uint32 sum = 0;
    size_t i = 0;
    for (; i + 4 <= size; i += 4)
        sum += Read32(data + i, true);
    uint32 last = 0;
    for (; i < size; i++)
        last = (last << 8) | data[i];
    return sum + last;
}

status_t ElfResourceBase(const ByteSource& source, uint64& base, uint64* alternate)
{
    uint8 header[64];
    uint64 fileSize = source.Size();
    if (fileSize < 52)
        return B_BAD_DATA;
    status_t status = source.ReadAt(0, header, std::min<uint64>(sizeof(header), fileSize));
    if (status != B_OK)
        return status;
    uint8 elfClass = header[4];
    uint8 elfData = header[5];
    if ((elfClass != 1 && elfClass != 2) || (elfData != 1 && elfData != 2))
        return B_BAD_DATA;
    bool is64 = elfClass == 2;
    bool be = elfData == 2;
    if (is64 && fileSize < 64)
        return B_BAD_DATA;

    uint64 phOffset, shOffset;
    uint32 headerSize, phEntrySize, phCount, shEntrySize, shCount;
    if (is64) {
        phOffset = Read64(header + 32, be);
        shOffset = Read64(header + 40, be);
        headerSize = Read16(header + 52, be);
        phEntrySize = Read16(header + 54, be);
        phCount = Read16(header + 56, be);
        shEntrySize = Read16(header + 58, be);
        shCount = Read16(header + 60, be);
    } else {
        phOffset = Read32(header + 28, be);
        shOffset = Read32(header + 32, be);
        headerSize = Read16(header + 40, be);
        phEntrySize = Read16(header + 42, be);
        phCount = Read16(header + 44, be);
        shEntrySize = Read16(header + 46, be);
        shCount = Read16(header + 48, be);
    }
    uint64 start = headerSize;
    if (start > fileSize)
        return B_BAD_DATA;
    uint64 alignment = kMinElfAlignment;

    if (phOffset != 0 && phCount > 0) {
        if (phEntrySize < (is64 ? 56u : 32u))
            return B_BAD_DATA;
        uint64 tableEnd = SaturatingAdd(phOffset, uint64(phEntrySize) * phCount);
        if (tableEnd > fileSize)
            return B_BAD_DATA;
        start = std::max(start, tableEnd);
        for (uint32 i = 0; i < phCount; i++) {
            uint8 entry[56];
            status = source.ReadAt(phOffset + uint64(phEntrySize) * i, entry, is64 ? 56 : 32);
            if (status != B_OK)
                return status;
            uint32 type = Read32(entry, be);
            if (type == kElfSegmentNull)
                continue;
            uint64 offset = is64 ? Read64(entry + 8, be) : Read32(entry + 4, be);
            uint64 size = is64 ? Read64(entry + 32, be) : Read32(entry + 16, be);
            uint64 align = is64 ? Read64(entry + 48, be) : Read32(entry + 28, be);
            uint64 end = SaturatingAdd(offset, size);
            if (end > fileSize)
                return B_BAD_DATA;
            start = std::max(start, end);
            alignment = std::max(alignment, align);
        }
    }
    if (shOffset != 0 && shCount > 0) {
        if (shEntrySize < (is64 ? 64u : 40u))
            return B_BAD_DATA;
        uint64 tableEnd = SaturatingAdd(shOffset, uint64(shEntrySize) * shCount);
        if (tableEnd > fileSize)
            return B_BAD_DATA;
        start = std::max(start, tableEnd);
        for (uint32 i = 0; i < shCount; i++) {
            uint8 entry[64];
            status = source.ReadAt(shOffset + uint64(shEntrySize) * i, entry, is64 ? 64 : 40);
            if (status != B_OK)
                return status;
            uint32 type = Read32(entry + 4, be);
            if (type == kElfSectionNull || type == kElfSectionNoBits)
                continue;
            uint64 offset = is64 ? Read64(entry + 24, be) : Read32(entry + 16, be);
            uint64 size = is64 ? Read64(entry + 32, be) : Read32(entry + 20, be);
            uint64 end = SaturatingAdd(offset, size);
            if (end > fileSize)
                return B_BAD_DATA;
            start = std::max(start, end);
        }
    }
    if (is64) {
        // The platform's 64-bit rule: 8-byte alignment. Our earlier builds
        // used the segment alignment as for 32-bit images; they are still
        // looked for there.
        base = RoundUp(start, kElf64Alignment);
        if (alternate != nullptr)
            *alternate = alignment > kMaxElfAlignment ? base : RoundUp(start, alignment);
        return B_OK;
    }
    if (alignment > kMaxElfAlignment)
        return B_BAD_DATA;
    base = RoundUp(start, alignment);
    if (alternate != nullptr)
        *alternate = base;
    return B_OK;
}

status_t DetectContainer(const ByteSource& source, ContainerInfo& info)
{
    info = ContainerInfo();
    uint64 size = source.Size();
    if (size == 0) {
        info.kind = ContainerKind::kEmpty;
        info.base = kX86ResourceBase;
        return B_OK;
    }
    uint8 magic[12] = {};
    status_t status = source.ReadAt(0, magic, std::min<uint64>(sizeof(magic), size));
    if (status != B_OK)
        return status;
    if (size >= 4 && memcmp(magic, "\x7f" "ELF", 4) == 0) {
        info.kind = ContainerKind::kElf;
        uint64 alternate = 0;
        status = ElfResourceBase(source, info.base, &alternate);
        if (status != B_OK)
            return status;
        if (alternate != info.base) {
            info.alternateBase = alternate;
            info.hasAlternate = true;
        }
        return B_OK;
    }
    if (size >= 2 && magic[0] == 'R' && magic[1] == 'S') {
        info.kind = ContainerKind::kResourceFile;
        info.base = kX86ResourceBase;
        return B_OK;
    }
    if (size >= 8 && memcmp(magic, "Joy!resf", 8) == 0) {
        info.kind = ContainerKind::kPpcResourceFile;
        info.base = kPpcResourceBase;
        return B_OK;
    }
    if (size >= 12 && memcmp(magic, "Joy!peffpwpc", 12) == 0) {
        info.kind = ContainerKind::kPef;
        return PefResourceBase(source, info.base);
    }
    return B_BAD_DATA;
}

status_t ReadContainerResources(const ByteSource& source, const ContainerInfo& info,
    std::vector<ResourceEntry>& entries)
{
    status_t status = ParseResourceArea(source, info.base, entries);
    if (!info.hasAlternate || (status == B_OK && !entries.empty()))
        return status;
    // Nothing usable at the first place, be it damaged, empty or past the
    // end of the file: the other place decides only when it holds
    // resources. A damaged area at the first place stays damaged when the
    // other place holds none (it usually lies past the end of a file cut
    // short inside the area): reading no resources there would pass a
    // truncated file off as one without resources.
    std::vector<ResourceEntry> other;
    const status_t alternate = ParseResourceArea(source, info.alternateBase, other);
    if (alternate == B_OK && !other.empty()) {
        entries = std::move(other);
        return B_OK;
    }
    return status;
}

status_t ParseResourceArea(const ByteSource& source, uint64 base, std::vector<ResourceEntry>& entries,
    bool* bigEndian)
{
    entries.clear();
    uint64 fileSize = source.Size();
    if (base >= fileSize)
        return B_OK;
    uint64 areaSize = fileSize - base;
    if (areaSize < kResourcesHeaderSize)
        return B_BAD_DATA;

    uint8 header[kResourcesHeaderSize];
    status_t status = source.ReadAt(base, header, sizeof(header));
    if (status != B_OK)
        return status;
    bool be;
    if (Read32(header, false) == kResourcesHeaderMagic)
        be = false;
    else if (Read32(header, true) == kResourcesHeaderMagic)
        be = true;
    else
        return B_BAD_DATA;
    if (bigEndian != nullptr)
        *bigEndian = be;

    // The count in the header is not trusted (real files hold more index
    // slots than it says); the index table ends where filler begins.
    if (Read32(header + 4, be) > kMaxResourceCount)
        return B_BAD_DATA;
    uint64 indexOffset = Read32(header + 8, be);
    if (indexOffset < kResourcesHeaderSize || indexOffset + kIndexSectionHeaderSize > areaSize)
        return B_BAD_DATA;

    uint8 indexHeader[kIndexSectionHeaderSize];
    status = source.ReadAt(base + indexOffset, indexHeader, sizeof(indexHeader));
    if (status != B_OK)
        return status;
    if (Read32(indexHeader, be) != indexOffset)
        return B_BAD_DATA;
    uint64 indexSize = Read32(indexHeader + 4, be);
    if (indexSize < kIndexSectionHeaderSize || indexOffset + indexSize > areaSize)
        return B_BAD_DATA;
    uint64 infoOffset = Read32(indexHeader + 0x78, be);
    uint64 infoSize = Read32(indexHeader + 0x7C, be);
    if (infoSize < 8 || infoSize > kMaxInfoTableSize || infoOffset + infoSize > areaSize)
        return B_BAD_DATA;

    // Index slots, up to the first one that holds filler.
    struct Slot {
        uint64 offset;
        uint64 size;
    };
    std::vector<Slot> slots;
    uint64 maxSlots = (indexSize - kIndexSectionHeaderSize) / kIndexEntrySize;
    const uint64 kChunkSlots = 1024;
    std::vector<uint8> chunk;
    for (uint64 first = 0; first < maxSlots;) {
        uint64 count = std::min(kChunkSlots, maxSlots - first);
        uint64 chunkOffset = indexOffset + kIndexSectionHeaderSize + first * kIndexEntrySize;
        chunk.resize(size_t(count * kIndexEntrySize));
        status = source.ReadAt(base + chunkOffset, chunk.data(), chunk.size());
        if (status != B_OK)
            return status;
        bool ended = false;
        for (uint64 k = 0; k < count; k++) {
            const uint8* p = chunk.data() + k * kIndexEntrySize;
            uint64 at = chunkOffset + k * kIndexEntrySize;
            if (Read32(p, be) == FillerWord(at) && Read32(p + 4, be) == FillerWord(at + 4)
                && Read32(p + 8, be) == FillerWord(at + 8)) {
                ended = true;
                break;
            }
            if (slots.size() >= kMaxIndexSlots)
                return B_BAD_DATA;
            slots.push_back({Read32(p, be), Read32(p + 4, be)});
        }
        if (ended)
            break;
        first += count;
    }

    std::vector<uint8> table(static_cast<size_t>(infoSize));
    status = source.ReadAt(base + infoOffset, table.data(), table.size());
    if (status != B_OK)
        return status;
    // The last 8 bytes are a check record only when its last word is zero;
    // some of the platform's tools end the table with the separator alone.
    size_t tableEnd = table.size();
    if (Read32(table.data() + table.size() - 4, be) == 0) {
        tableEnd -= 8;
        if (Read32(table.data() + tableEnd, be) != InfoTableChecksum(table.data(), tableEnd))
            return B_BAD_DATA;
    }

    std::vector<bool> used(slots.size(), false);
    size_t pos = 0;
    while (pos < tableEnd) {
        if (tableEnd - pos >= 8 && IsSeparator(table.data() + pos)) {
            pos += 8;
            continue;
        }
        if (tableEnd - pos < 4)
            return B_BAD_DATA;
        type_code type = Read32(table.data() + pos, be);
        pos += 4;
        // Old writers leave blocks of types that lost all their resources:
        // the type is followed directly by the separator.
        if (tableEnd - pos >= 8 && IsSeparator(table.data() + pos)) {
            pos += 8;
            continue;
        }
        for (;;) {
            if (tableEnd - pos < 10)
                return B_BAD_DATA;
            const uint8* info = table.data() + pos;
            int32 id = int32(Read32(info, be));
            uint32 index = Read32(info + 4, be);
            size_t nameSize = Read16(info + 8, be);
            pos += 10;
            if (tableEnd - pos < nameSize)
                return B_BAD_DATA;
            const char* name = reinterpret_cast<const char*>(table.data() + pos);
            std::string nameText(name, strnlen(name, nameSize));
            pos += nameSize;
            if (index >= 1 && index <= slots.size()) {
                if (used[index - 1])
                    return B_BAD_DATA;
                used[index - 1] = true;
                const Slot& slot = slots[index - 1];
                if (slot.offset + slot.size > areaSize)
                    return B_BAD_DATA;
                ResourceEntry entry;
                entry.type = type;
                entry.id = id;
                entry.name = std::move(nameText);
                entry.offset = slot.offset; // relative for now
                entry.size = slot.size;
                entries.push_back(std::move(entry));
            }
            if (tableEnd - pos < 8)
                return B_BAD_DATA;
            if (IsSeparator(table.data() + pos)) {
                pos += 8;
                break;
            }
        }
    }

    // Data must stay clear of the tables and of other resources' data.
    std::vector<std::pair<uint64, uint64>> ranges;
    for (const ResourceEntry& entry : entries) {
        if (entry.size == 0)
            continue;
        if (Overlaps(entry.offset, entry.size, 0, kResourcesHeaderSize)
            || Overlaps(entry.offset, entry.size, indexOffset, indexSize)
            || Overlaps(entry.offset, entry.size, infoOffset, infoSize))
            return B_BAD_DATA;
        ranges.emplace_back(entry.offset, entry.size);
    }
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); i++) {
        if (ranges[i - 1].first + ranges[i - 1].second > ranges[i].first)
            return B_BAD_DATA;
    }
    for (ResourceEntry& entry : entries)
        entry.offset += base;
    return B_OK;
}

uint64 ResourceAreaWriter::AreaSize() const
{
    return fDataStart + fDataSize + fInfoTable.size();
}

status_t ResourceAreaWriter::Prepare(const std::vector<ResourceLayoutEntry>& entries)
{
    fAdmin.clear();
    fInfoTable.clear();
    if (entries.size() > kMaxResourceCount)
        return B_BAD_VALUE;
    uint32 count = uint32(entries.size());
    uint64 indexSize = RoundUp(kIndexSectionHeaderSize + uint64(kIndexEntrySize) * count, kIndexSectionAlignment);
    fDataStart = kIndexSectionOffset + indexSize + kUnknownSectionSize;

    std::vector<uint64> offsets;
    offsets.reserve(count);
    uint64 position = fDataStart;
    for (const ResourceLayoutEntry& entry : entries) {
        if (entry.size > UINT32_MAX)
            return B_BAD_VALUE;
        offsets.push_back(position);
        position += entry.size;
        if (position > UINT32_MAX)
            return B_BAD_VALUE;
    }
    fDataSize = position - fDataStart;
    uint64 infoOffset = position;

    // Info table: one block per run of equal types, in file order.
    for (uint32 i = 0; i < count; i++) {
        const ResourceLayoutEntry& entry = entries[i];
        size_t nameLength = entry.name != nullptr ? entry.name->size() : 0;
        if (nameLength >= 0xFFFF)
            return B_BAD_VALUE;
        if (i == 0 || entry.type != entries[i - 1].type) {
            if (i > 0)
                fInfoTable.insert(fInfoTable.end(), 8, 0xFF);
            Append32(fInfoTable, entry.type);
        }
        Append32(fInfoTable, uint32(entry.id));
        Append32(fInfoTable, i + 1);
        uint16 nameSize = nameLength > 0 ? uint16(nameLength + 1) : 0;
        fInfoTable.push_back(uint8(nameSize));
        fInfoTable.push_back(uint8(nameSize >> 8));
        if (nameSize > 0) {
            fInfoTable.insert(fInfoTable.end(), entry.name->begin(), entry.name->end());
            fInfoTable.push_back(0);
        }
    }
    fInfoTable.insert(fInfoTable.end(), 8, 0xFF);
    Append32(fInfoTable, InfoTableChecksum(fInfoTable.data(), fInfoTable.size()));
    Append32(fInfoTable, 0);
    if (infoOffset + fInfoTable.size() > UINT32_MAX)
        return B_BAD_VALUE;

    // Header, index section and unknown section; unused words hold filler.
    fAdmin.assign(size_t(fDataStart), 0);
    for (uint64 at = kIndexSectionOffset; at < fDataStart; at += 4)
        Put32(fAdmin.data() + at, FillerWord(at));
    uint8* header = fAdmin.data();
    Put32(header, kResourcesHeaderMagic);
    Put32(header + 4, count);
    Put32(header + 8, kIndexSectionOffset);
    Put32(header + 12, uint32(kIndexSectionOffset + indexSize));
    uint8* index = header + kIndexSectionOffset;
    Put32(index, kIndexSectionOffset);
    Put32(index + 4, uint32(indexSize));
    Put32(index + 0x0C, uint32(kIndexSectionOffset + indexSize));
    Put32(index + 0x10, kUnknownSectionSize);
    Put32(index + 0x78, uint32(infoOffset));
    Put32(index + 0x7C, uint32(fInfoTable.size()));
    uint8* slot = index + kIndexSectionHeaderSize;
    for (uint32 i = 0; i < count; i++, slot += kIndexEntrySize) {
        Put32(slot, uint32(offsets[i]));
        Put32(slot + 4, uint32(entries[i].size));
        Put32(slot + 8, 0);
    }
    return B_OK;
}

} // namespace ondelle::resources
