#include "ElfImage.h"

#include <algorithm>
#include <cstring>

using namespace ondelle::resources;

namespace {

constexpr uint32 kSectionDynamicSymbols = 11;        // SHT_DYNSYM
constexpr uint32 kSectionNoBits = 8;                 // SHT_NOBITS
constexpr uint32 kSectionVersionNeeds = 0x6ffffffe;  // SHT_GNU_verneed
constexpr uint32 kSectionSymbolVersions = 0x6fffffff; // SHT_GNU_versym
constexpr uint64 kSectionHeaderSize = 64;
constexpr uint64 kSymbolSize = 24;
constexpr uint64 kVersionNeedSize = 16;
constexpr uint64 kVersionAuxSize = 16;
// The tables read into memory are small in any real program; a larger one
// means damaged headers.
constexpr uint64 kMaxTableSize = 64 << 20;

uint16 Get16(const uint8* p) { return uint16(p[0] | (p[1] << 8)); }
uint32 Get32(const uint8* p) { return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24); }
uint64 Get64(const uint8* p) { return uint64(Get32(p)) | (uint64(Get32(p + 4)) << 32); }

bool ReadTable(const ByteSource& source, uint64 offset, uint64 size, std::vector<uint8>& bytes)
{
    if (size > kMaxTableSize || offset > source.Size() || size > source.Size() - offset)
        return false;
    bytes.resize(size_t(size));
    return size == 0 || source.ReadAt(offset, bytes.data(), bytes.size()) == B_OK;
}

// The NUL-terminated text at offset of a string table; empty when the
// offset lies outside or the text is not terminated.
std::string TextAt(const std::vector<uint8>& table, uint64 offset)
{
    if (offset >= table.size())
        return std::string();
    const void* end = std::memchr(table.data() + offset, 0, table.size() - size_t(offset));
    if (end == nullptr)
        return std::string();
    return std::string(reinterpret_cast<const char*>(table.data() + offset));
}

} // namespace

bool ElfImage::LooksLikeElf(const ByteSource& source)
{
    uint8 magic[4];
    return source.Size() >= 4 && source.ReadAt(0, magic, 4) == B_OK && std::memcmp(magic, "\x7f" "ELF", 4) == 0;
}

std::string ElfImage::Read(const ByteSource& source)
{
    fSections.clear();
    fLinks.clear();
    fInfos.clear();
    fNeeded.clear();
    uint8 header[64];
    if (source.Size() < sizeof(header) || source.ReadAt(0, header, sizeof(header)) != B_OK
        || std::memcmp(header, "\x7f" "ELF", 4) != 0)
        return "not an ELF program";
    if (header[4] != 2 || header[5] != 1)
        return "not a 64-bit little-endian program (builds are made for x86-64 Linux)";
    const uint16 machine = Get16(header + 18);
    if (machine != 62)
        return "not an x86-64 program";
    const uint64 sectionOffset = Get64(header + 40);
    const uint16 entrySize = Get16(header + 58);
    const uint16 count = Get16(header + 60);
    const uint16 namesIndex = Get16(header + 62);
    std::string error = _ReadSections(source, sectionOffset, count, entrySize, namesIndex);
    if (!error.empty())
        return error;
    return _ReadNeededVersions(source);
}

bool ElfImage::CarriesDebugInformation() const
{
    for (const Section& section : fSections) {
        if (section.name.rfind(".debug_", 0) == 0 || section.name.rfind(".zdebug_", 0) == 0
            || section.name == ".symtab")
            return true;
    }
    return false;
}

std::string ElfImage::_ReadSections(const ByteSource& source, uint64 sectionOffset, uint16 count,
    uint16 entrySize, uint16 namesIndex)
{
    if (count == 0)
        return std::string();
    if (entrySize != kSectionHeaderSize)
        return "its section headers are damaged";
    std::vector<uint8> headers;
    if (!ReadTable(source, sectionOffset, uint64(count) * kSectionHeaderSize, headers))
        return "its section headers lie outside the file";
    fSections.resize(count);
    fLinks.resize(count);
    fInfos.resize(count);
    std::vector<uint32> nameOffsets(count);
    for (uint16 i = 0; i < count; i++) {
        const uint8* p = headers.data() + size_t(i) * kSectionHeaderSize;
        nameOffsets[i] = Get32(p);
        fSections[i].type = Get32(p + 4);
        fSections[i].offset = Get64(p + 24);
        fSections[i].size = Get64(p + 32);
        fLinks[i] = Get32(p + 40);
        fInfos[i] = Get32(p + 44);
        const Section& section = fSections[i];
        if (section.type != kSectionNoBits && section.type != 0
            && (section.offset > source.Size() || section.size > source.Size() - section.offset))
            return "a section lies outside the file";
    }
    if (namesIndex >= count)
        return "its section names are missing";
    std::vector<uint8> names;
    if (!ReadTable(source, fSections[namesIndex].offset, fSections[namesIndex].size, names))
        return "its section names lie outside the file";
    for (uint16 i = 0; i < count; i++)
        fSections[i].name = TextAt(names, nameOffsets[i]);
    return std::string();
}

std::string ElfImage::_ReadNeededVersions(const ByteSource& source)
{
    for (size_t index = 0; index < fSections.size(); index++) {
        const Section& needs = fSections[index];
        if (needs.type != kSectionVersionNeeds)
            continue;
        const uint32 stringsIndex = fLinks[index];
        std::vector<uint8> table, strings;
        if (stringsIndex >= fSections.size() || !ReadTable(source, needs.offset, needs.size, table)
            || !ReadTable(source, fSections[stringsIndex].offset, fSections[stringsIndex].size, strings))
            return "its symbol version needs are damaged";

        // Which version index each undefined dynamic symbol needs, to name
        // a symbol for every version.
        std::vector<std::pair<uint16, std::string>> symbolVersions;
        for (size_t s = 0; s < fSections.size(); s++) {
            if (fSections[s].type != kSectionSymbolVersions)
                continue;
            const uint32 symbolsIndex = fLinks[s];
            if (symbolsIndex >= fSections.size() || fSections[symbolsIndex].type != kSectionDynamicSymbols)
                continue;
            const uint32 namesIndex = fLinks[symbolsIndex];
            std::vector<uint8> versions, symbols, symbolNames;
            if (namesIndex >= fSections.size() || !ReadTable(source, fSections[s].offset, fSections[s].size, versions)
                || !ReadTable(source, fSections[symbolsIndex].offset, fSections[symbolsIndex].size, symbols)
                || !ReadTable(source, fSections[namesIndex].offset, fSections[namesIndex].size, symbolNames))
                return "its dynamic symbols are damaged";
            const size_t symbolCount = std::min(versions.size() / 2, size_t(symbols.size() / kSymbolSize));
            for (size_t k = 1; k < symbolCount; k++) {
                // Also symbols defined here: a variable of a library copied
                // into the program still needs the library's version.
                const uint8* symbol = symbols.data() + k * kSymbolSize;
                symbolVersions.emplace_back(uint16(Get16(versions.data() + k * 2) & 0x7fff),
                    TextAt(symbolNames, Get32(symbol)));
            }
        }

        uint64 position = 0;
        for (uint32 n = 0; n < fInfos[index]; n++) {
            if (position > table.size() || table.size() - position < kVersionNeedSize)
                return "its symbol version needs are damaged";
            const uint8* need = table.data() + position;
            const std::string library = TextAt(strings, Get32(need + 4));
            const uint16 auxCount = Get16(need + 2);
            uint64 aux = position + Get32(need + 8);
            for (uint16 a = 0; a < auxCount; a++) {
                if (aux > table.size() || table.size() - aux < kVersionAuxSize)
                    return "its symbol version needs are damaged";
                const uint8* entry = table.data() + aux;
                NeededVersion needed;
                needed.library = library;
                needed.version = TextAt(strings, Get32(entry + 8));
                const uint16 versionIndex = Get16(entry + 6);
                for (const auto& [symbolVersion, name] : symbolVersions) {
                    if (symbolVersion == versionIndex) {
                        needed.symbol = name;
                        break;
                    }
                }
                fNeeded.push_back(std::move(needed));
                const uint32 next = Get32(entry + 12);
                if (next == 0)
                    break;
                aux += next;
            }
            const uint32 next = Get32(need + 12);
            if (next == 0)
                break;
            position += next;
        }
    }
    return std::string();
}
