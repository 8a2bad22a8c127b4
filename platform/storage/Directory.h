// BDirectory: an open folder, its entries, and creation of new entries.
#pragma once

#include <EntryList.h>
#include <Node.h>

#include <dirent.h>

class BFile;
class BSymLink;

class BDirectory : public BNode, public BEntryList {
public:
    BDirectory();
    BDirectory(const BDirectory& dir);
    BDirectory(const entry_ref* ref);
    BDirectory(const node_ref* nref);
    BDirectory(const BEntry* entry);
    BDirectory(const char* path);
    BDirectory(const BDirectory* dir, const char* path);
    virtual ~BDirectory();

    // The folder named by the argument (a link to a folder is followed).
    // Something that is not a folder gives B_NOT_A_DIRECTORY.
    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const node_ref* nref);
    status_t SetTo(const BEntry* entry);
    status_t SetTo(const char* path);
    status_t SetTo(const BDirectory* dir, const char* path);

    status_t GetEntry(BEntry* entry) const;
    bool IsRootDirectory() const;

    // Entry at path relative to this folder (or absolute); it must exist.
    status_t FindEntry(const char* path, BEntry* entry, bool traverse = false) const;
    // Whether an entry of one of the node kinds exists at path (relative to
    // this folder, or absolute and then also below it).
    bool Contains(const char* path, int32 nodeFlags = B_ANY_NODE) const;
    bool Contains(const BEntry* entry, int32 nodeFlags = B_ANY_NODE) const;

    // The folder's entries without "." and "..", in the order the file
    // system gives them; symbolic links are not followed unless traverse is
    // set. B_ENTRY_NOT_FOUND after the last one.
    virtual status_t GetNextEntry(BEntry* entry, bool traverse = false) override;
    virtual status_t GetNextRef(entry_ref* ref) override;
    virtual status_t Rewind() override;
    // Number of entries (without "." and ".."); resets the iteration.
    virtual int32 CountEntries() override;

    // Creates a new folder, file or symbolic link at path (relative to this
    // folder, or absolute). An existing entry gives B_FILE_EXISTS, except
    // for CreateFile without failIfExists, which opens and empties it.
    status_t CreateDirectory(const char* path, BDirectory* dir);
    status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);
    status_t CreateSymLink(const char* path, const char* linkToPath, BSymLink* link);

    BDirectory& operator=(const BDirectory& dir);

private:
    status_t OpenDirectory(const std::string& absolutePath);
    std::string Resolve(const char* path) const;
    bool NextName(std::string* name);

    DIR* fDir;
};

// Creates path and every missing folder above it with mode (before umask).
// B_OK also when the folder already exists; B_FILE_EXISTS when path or one
// of its parents exists but is not a folder.
status_t create_directory(const char* path, mode_t mode);
