// The record an installation keeps of what it placed: every file, folder
// and link of its deinstallable items, with the size, modification time and
// a checksum of each file and the target of each link. It lives in the
// installation folder as "Install Record", one entry per line, and is
// appended to as items are placed, so a stopped job leaves the entries
// placed so far.
//
// The deinstaller compares the record with what it finds: an entry that is
// not in the record (a copy that carries the tag, a link the user made) or
// that changed since (edited in place or saved by rename) is kept.
#pragma once

#include <SupportDefs.h>

#include <map>
#include <string>
#include <vector>

struct ZipPlacedEntry;

struct install_record_entry {
    enum kind_t { FILE, FOLDER, LINK };
    kind_t kind = FILE;
    int64 size = 0;
    int64 modified = 0;
    // A file's content checksum, a link's target; empty for a folder.
    std::string detail;
};

class InstallRecord {
public:
    // The record's path inside installFolder.
    static std::string  PathIn(const char* installFolder);

    // Starts a new record at path (an earlier one is replaced).
    status_t            Create(const char* path);
    // Appends the entry at path and, for a folder, everything inside it at
    // every depth (links as links, never entered).
    status_t            AddTree(const char* path);
    // Appends what unpacking reported for the item now at path (entries
    // named below it, "" for the item itself), in one write, without
    // reading any file back. Only the item itself is looked at again: its
    // kind and the dates the job gave it after unpacking.
    status_t            AddPlaced(const char* path, const std::vector<ZipPlacedEntry>& entries);

    // Reads a record; B_ENTRY_NOT_FOUND when there is none, B_BAD_DATA when
    // it is not a record.
    status_t            Load(const char* path);
    bool                Has(const std::string& path) const;
    const install_record_entry* Find(const std::string& path) const;
    const std::map<std::string, install_record_entry>& Entries() const { return fEntries; }

    // What stands at path now, in the record's terms; false when nothing
    // does.
    static bool         Describe(const char* path, install_record_entry& entry);
    // True when the entry at path is no longer what the record holds: a
    // file's size or checksum, a link's target or an entry's kind differ. A
    // folder counts as unchanged while it is a folder.
    bool                Changed(const std::string& path) const;

private:
    status_t            _Append(const std::string& path, const install_record_entry& entry);
    // Appends the lines of several entries at once.
    status_t            _AppendAll(const std::vector<std::pair<std::string, install_record_entry>>& entries);

    std::string         fPath;
    std::map<std::string, install_record_entry> fEntries;
};
