// Unpacks zip archives in process, restoring files, folders and symbolic
// links with their modes, modification times and typed attributes.
#pragma once

#include "ZipExtraFields.h"

#include <SupportDefs.h>

#include <atomic>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// One entry of an archive as unpacking would make it.
struct ZipEntrySummary {
    enum Kind { kFile, kFolder, kLink };
    std::string name;
    Kind kind = kFile;
    uint64 size = 0;  // bytes of a file's data
    uint32 mode = 0;  // the Unix mode stored with the entry, 0 when none
    std::string linkTarget;
    // A file's SHA-256 (64 lower-case hexadecimal digits) when checked.
    std::string digest;
};

// One file, folder or link as unpacking left it.
struct ZipPlacedEntry {
    // The path below the target, components joined by "/", no "/" at the end.
    std::string name;
    ZipEntrySummary::Kind kind = ZipEntrySummary::kFile;
    uint64 size = 0;    // bytes of a file's data
    int64 modified = 0; // the modification time it was given, in seconds
    // A file's SHA-256 (64 lower-case hexadecimal digits) when digests were
    // asked for, a link's target; empty for a folder.
    std::string detail;
};

// What unpacking does besides writing the entries.
struct ZipExtractOptions {
    // Gives every file and folder the archive leaves untyped a type as it is
    // written: folders the folder type, files the type guessed from their
    // name and first block.
    bool typeUntyped = false;
    // Written on every file and folder that unpacking writes or makes,
    // taking the place of an archive attribute of the same name. Links get
    // none: Linux keeps no attributes on them.
    ZipAttributeList mark;
    // Takes each file's SHA-256 while its bytes are written.
    bool digests = false;
    // When set, receives every file, folder and link written or made,
    // folders included when the archive lists none for them.
    std::vector<ZipPlacedEntry>* placed = nullptr;
    // When set, unpacking ends as soon as it turns true (before the next
    // entry, or the next block of a file's data) with B_CANCELED, leaving
    // what it wrote so far: a worker thread's stop that lets it end.
    const std::atomic<bool>* cancel = nullptr;
    // When set, receives each problem (one line naming the entry) instead
    // of standard error, so that the caller decides whether and when it is
    // told: an unpack that is done again tells nothing of its first try.
    std::function<void(const std::string&)> problem;
};

class ZipExtractor {
public:
    using ProblemFunction = std::function<void(const std::string&)>;
    using EntryFunction = std::function<void(const ZipEntrySummary&)>;

    // Unpacks every entry of archive below target, overwriting existing
    // files and links. An entry that would land outside target (an absolute
    // name, a ".." component, a path through a symbolic link, a link whose
    // target points out) is refused and reported on standard error (or to
    // the options' problem function), and
    // nothing outside target is written. The result is B_OK only when every
    // entry was unpacked, B_DEVICE_FULL when an entry failed because the
    // target's volume had no room left (or the user's quota was used up).
    static status_t Extract(const char* archive, const char* target);
    static status_t Extract(const char* archive, const char* target, const ZipExtractOptions& options);
    // The same for an archive that lies in file at [offset, offset +
    // length), read in place. With typeUntyped, every file and folder the
    // archive gives no type gets one as it is written: folders the folder
    // type, files the type guessed from their name and first block.
    static status_t ExtractRange(const char* file, off_t offset, uint64 length, const char* target,
        bool typeUntyped = false);
    // The same with options.
    static status_t ExtractRange(const char* file, off_t offset, uint64 length, const char* target,
        const ZipExtractOptions& options);

    // Applies every check of Extract to archive without writing anything:
    // the same refusals (names that leave the target, a NUL in a name, links
    // that point out, paths through links, a local header that names another
    // file than the directory), damaged or truncated data and bad checksums.
    // Each problem is passed to problem, one line naming the entry; each
    // entry that would be unpacked to entry. B_OK only when Extract would
    // unpack every entry (given room on the target's volume).
    static status_t Verify(const char* archive, const ProblemFunction& problem, const EntryFunction& entry);
    // The same for an archive in file at [offset, offset + length), read in
    // place the way ExtractRange reads it.
    static status_t VerifyRange(const char* file, off_t offset, uint64 length, const ProblemFunction& problem,
        const EntryFunction& entry);
};
