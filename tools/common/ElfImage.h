// The parts of an x86-64 Linux program that the build tool checks before it
// packs the program: its sections (to tell whether debug information or a
// full symbol table is still in it) and the symbol versions it needs from
// shared libraries (to hold it to the oldest C library builds support).
#pragma once

#include <ResourceFormat.h>

#include <string>
#include <vector>

class ElfImage {
public:
    struct Section {
        std::string name;
        uint32 type = 0;
        uint64 offset = 0;
        uint64 size = 0;
    };

    // A version the program needs from a library, with the first symbol
    // that needs it (empty when no symbol names it).
    struct NeededVersion {
        std::string library;
        std::string version;
        std::string symbol;
    };

    // True when the bytes start like an ELF file of any kind.
    static bool LooksLikeElf(const ondelle::resources::ByteSource& source);

    // Reads a 64-bit little-endian ELF file. Returns an empty text on
    // success, otherwise what is wrong with it. Every offset and size is
    // checked against the file, so damaged headers are an error, never a
    // read outside the file.
    std::string Read(const ondelle::resources::ByteSource& source);

    const std::vector<Section>& Sections() const { return fSections; }
    const std::vector<NeededVersion>& NeededVersions() const { return fNeeded; }

    // True when a section holds debug information (.debug_*, .zdebug_*) or
    // a symbol table beyond the one dynamic linking uses (.symtab).
    bool CarriesDebugInformation() const;

private:
    std::string _ReadSections(const ondelle::resources::ByteSource& source, uint64 sectionOffset, uint16 count,
        uint16 entrySize, uint16 namesIndex);
    std::string _ReadNeededVersions(const ondelle::resources::ByteSource& source);

    std::vector<Section> fSections;
    std::vector<uint32> fLinks;
    std::vector<uint32> fInfos;
    std::vector<NeededVersion> fNeeded;
};
