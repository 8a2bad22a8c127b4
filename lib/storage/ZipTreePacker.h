// Adds collected files, folders and links to an open zip archive, in order,
// with their modes, times, owners and typed attributes. The work of each
// entry that does not depend on the archive (reading the file, its checksum,
// deflating it, reading its attributes, guessing a missing type) runs ahead
// on worker threads, one per core, while the calling thread writes the
// finished entries in order. Every entry is prepared the same way on any
// thread, so the archive's bytes do not depend on the number of workers.
//
// A file larger than kBlockSize is deflated in blocks of that size, each
// block by whichever worker takes it, with the 32 KiB before it as its
// dictionary and ending on a byte boundary (the last one ends the stream),
// so that the blocks joined in order are one deflate stream. At most
// kMaxBytesAhead bytes of files are held ahead of the writer, so memory does
// not grow with the payload.
//
// A file that deflate shrinks by less than 1/32 is stored as it is; a large
// file is judged by its first block, and its blocks keep their bytes as
// they are until the writer has decided.
#pragma once

#include <SupportDefs.h>

#include <minizip/zip.h>

#include <string>
#include <sys/stat.h>
#include <vector>

// One node to pack: where it is, the entry name it gets ("leaf/sub/file",
// folders ending in '/') and what lstat() said about it.
struct ZipTreeEntry {
    std::string path;
    std::string name;
    struct stat st = {};
};

struct ZipPackOptions {
    // 0 stores every entry; 1..9 deflates files with that level.
    int level = 6;
    // Files and folders without a file type get one in their "Be" field:
    // folders the folder type, files the type guessed from their name and
    // first 16 KiB.
    bool typeUntyped = false;
    // Worker threads: -1 one per core, 0 everything on the calling thread.
    int workers = -1;
};

class ZipTreePacker {
public:
    static constexpr uint64 kBlockSize = 1 << 20;
    static constexpr uint64 kMaxBytesAhead = 8 << 20;

    ZipTreePacker(zipFile zip, const ZipPackOptions& options);

    // Adds every entry in order. Problems are reported on standard error in
    // entry order; true only when every entry was added whole. Entries that
    // could not be read are left out.
    bool Pack(const std::vector<ZipTreeEntry>& entries);

private:
    struct Prepared;
    struct Task;
    class Deflater;

    Prepared _Prepare(const ZipTreeEntry& entry, const Task& task, Deflater& deflater) const;
    void _PrepareFile(const ZipTreeEntry& entry, const Task& task, Deflater& deflater, Prepared& prepared,
        std::string& head) const;
    void _AddExtras(const ZipTreeEntry& entry, const std::string& head, Prepared& prepared) const;
    bool _Write(const ZipTreeEntry& entry, const Task& task, Prepared& prepared);
    int _WorkerCount(size_t tasks) const;

    // The entry being written: its checksum and size so far.
    bool fEntryOpen = false;
    bool fEntryOk = true;
    // The entry is written as it is (method 0), though deflated data was
    // prepared for it.
    bool fEntryStored = false;
    uLong fEntryCrc = 0;
    uint64 fEntrySize = 0;

    zipFile fZip;
    ZipPackOptions fOptions;
};
