// BEntry: a named place in a directory, which may or may not exist yet.
//
// An entry is kept as the absolute path of its directory (with every
// symbolic link of the directory part resolved) and its leaf name. Its
// entry_ref is (st_dev and st_ino of that directory, leaf name); a volume's
// root directory "/" has the ref (its device, its own inode, ".").
// Resolving a ref back to a path uses a process-wide table of the
// directories seen while making refs, and otherwise searches the volume
// below its mount point (see get_ref_path()).
#pragma once

#include <EntryRef.h>
#include <Statable.h>

#include <string>

class BDirectory;
class BPath;

class BEntry : public BStatable {
public:
    BEntry();
    BEntry(const BDirectory* dir, const char* path, bool traverse = false);
    BEntry(const entry_ref* ref, bool traverse = false);
    BEntry(const char* path, bool traverse = false);
    BEntry(const BEntry& entry);
    virtual ~BEntry();

    status_t InitCheck() const;
    bool Exists() const;
    const char* Name() const;

    virtual status_t GetStat(struct stat* st) const override;

    // path may be absolute or relative (to dir, or to the current folder).
    // The folder that holds the leaf must exist. With traverse set, a
    // symbolic link at the end is followed (also chains of links); a link
    // whose target does not exist gives B_ENTRY_NOT_FOUND.
    status_t SetTo(const BDirectory* dir, const char* path, bool traverse = false);
    status_t SetTo(const entry_ref* ref, bool traverse = false);
    status_t SetTo(const char* path, bool traverse = false);
    void Unset();

    status_t GetRef(entry_ref* ref) const;
    status_t GetPath(BPath* path) const;
    status_t GetParent(BEntry* entry) const;
    status_t GetParent(BDirectory* dir) const;
    // Copies the leaf name into buffer (B_FILE_NAME_LENGTH bytes).
    status_t GetName(char* buffer) const;

    // Renames the entry; path is a new leaf, a path relative to the entry's
    // folder, or an absolute path. Without clobber an existing target gives
    // B_FILE_EXISTS. A move to another volume gives B_CROSS_DEVICE_LINK.
    // Afterwards the object names the new place. Attributes move with the
    // node.
    status_t Rename(const char* path, bool clobber = false);
    // Moves the entry into dir, under path (relative to dir) or its own name.
    status_t MoveTo(BDirectory* dir, const char* path = nullptr, bool clobber = false);
    // Removes the entry (a folder must be empty). The object keeps naming the
    // place, which no longer exists.
    status_t Remove();

    bool operator==(const BEntry& item) const;
    bool operator!=(const BEntry& item) const;
    BEntry& operator=(const BEntry& item);

    // The absolute path, or NULL when not initialised (not part of the
    // classic interface; saves a BPath where only the text is needed).
    const char* PathName() const;

protected:
    virtual status_t GetLocation(BPrivate::NodeLocation* location) const override;

private:
    status_t SetToAbsolute(const std::string& path, bool traverse);

    std::string fDirectory; // absolute, links resolved
    std::string fName;      // leaf
    std::string fFullPath;  // fDirectory + "/" + fName ("/" for the root)
    status_t fStatus;
};

// Entry ref of path, without following a symbolic link at its end. The
// folder that holds the leaf must exist; the leaf itself need not.
status_t get_ref_for_path(const char* path, entry_ref* ref);

// Absolute path of ref, written to path. B_ENTRY_NOT_FOUND when the ref's
// folder cannot be found on its volume any more.
status_t get_ref_path(const entry_ref& ref, std::string* path);

