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
//
// The record lies in a folder anything running as the user can write, so
// each line carries a keyed checksum (HMAC-SHA-256) under a random key that
// the installer stores in the deinstaller's own configuration, not in the
// record: a line added or edited later does not check and is ignored. A
// record made without a key (by an earlier installer) is not trusted; the
// deinstaller uses it only to keep more, never to remove more.
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

    InstallRecord() = default;
    ~InstallRecord();
    InstallRecord(const InstallRecord&) = delete;
    InstallRecord& operator=(const InstallRecord&) = delete;
    InstallRecord(InstallRecord&& other) noexcept;
    InstallRecord& operator=(InstallRecord&& other) noexcept;

    // Starts a new record at path (an earlier file is replaced; a link
    // there is refused). The file stays open for the appends that follow,
    // so that an entry put in its place later does not receive them. key:
    // the secret each line is checked with (empty: lines carry no check).
    status_t            Create(const char* path, const std::string& key = std::string());
    // Appends the entry at path and, for a folder, everything inside it at
    // every depth (links as links, never entered).
    status_t            AddTree(const char* path);
    // Appends what unpacking reported for the item now at path (entries
    // named below it, "" for the item itself), in one write, without
    // reading any file back. Only the item itself is looked at again: its
    // kind and the dates the job gave it after unpacking.
    status_t            AddPlaced(const char* path, const std::vector<ZipPlacedEntry>& entries);
    // Appends entries described by the caller (each as it stands now), in
    // one write.
    status_t            AddEntries(const std::vector<std::pair<std::string, install_record_entry>>& entries)
                        {
                            return _AppendAll(entries);
                        }

    // The appends write whole lines or nothing: a write cut short (a full
    // volume) is taken back and reported as B_DEVICE_FULL or B_IO_ERROR, so
    // the next append never joins onto a broken line.

    // Reads a record. Only a regular file owned by this user of at most
    // kMaxRecordSize bytes is read, never through a link: B_NOT_ALLOWED
    // otherwise, B_ENTRY_NOT_FOUND when there is none, B_BAD_DATA when it
    // is not a record (an empty file, a damaged first line). With a key,
    // only lines whose checksum holds are taken; the others are counted in
    // Rejected().
    status_t            Load(const char* path, const std::string& key = std::string());
    // True when the record was read with its key and its lines checked.
    bool                Trusted() const { return fTrusted; }
    int32               Rejected() const { return fRejected; }
    static constexpr int64 kMaxRecordSize = 256LL * 1024 * 1024;
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
    // The same for an entry described by the caller (now).
    bool                Differs(const std::string& path, const install_record_entry& now) const;

private:
    status_t            _Append(const std::string& path, const install_record_entry& entry);
    // Appends the lines of several entries at once.
    status_t            _AppendAll(const std::vector<std::pair<std::string, install_record_entry>>& entries);

    std::string         fPath;
    std::string         fKey;
    // The open record while it is written, and its size in whole lines.
    int                 fFd = -1;
    int64               fWritten = 0;
    bool                fTrusted = false;
    int32               fRejected = 0;
    std::map<std::string, install_record_entry> fEntries;
};
