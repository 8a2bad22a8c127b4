// BPath: an absolute path string with its leaf.
//
// A path that is relative, or holds "." or ".." or doubled or trailing
// slashes, is normalised: it is made absolute against the current folder
// and its folder part is resolved in the file system (which must exist);
// the leaf need not exist. With normalize set, this is done for any path.
// Otherwise the text is kept as it is.
#pragma once

#include <SupportDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

class BPath {
public:
    BPath();
    BPath(const BPath& path);
    BPath(const entry_ref* ref);
    BPath(const BEntry* entry);
    BPath(const char* dir, const char* leaf = nullptr, bool normalize = false);
    BPath(const BDirectory* dir, const char* leaf = nullptr, bool normalize = false);
    virtual ~BPath();

    status_t InitCheck() const;

    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    // leaf must be relative; it is appended to path with a "/".
    status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
    status_t SetTo(const BDirectory* dir, const char* leaf = nullptr, bool normalize = false);
    void Unset();

    // Appends a relative path.
    status_t Append(const char* path, bool normalize = false);

    // NULL when not initialised.
    const char* Path() const;
    // The last component; "" for "/"; NULL when not initialised.
    const char* Leaf() const;
    // The folder that holds the leaf; B_ENTRY_NOT_FOUND for "/".
    status_t GetParent(BPath* path) const;
    bool IsAbsolute() const;

    bool operator==(const BPath& item) const;
    bool operator==(const char* path) const;
    bool operator!=(const BPath& item) const;
    bool operator!=(const char* path) const;
    BPath& operator=(const BPath& item);
    BPath& operator=(const char* path);

private:
    std::string fPath;
    status_t fStatus;
};
