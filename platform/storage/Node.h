// BNode: an open file-system node and its attributes.
//
// The node is the entry itself: a symbolic link is not followed (BFile
// follows links, as opening a file does). The node stays the same node when
// it is renamed while open.
//
// Attributes are Linux extended attributes in the "user." namespace; the
// encoding of names and type codes is described in docs/attributes.md. On a
// file system that refuses extended attributes every attribute operation
// fails with B_UNSUPPORTED (reading a missing attribute on a file system
// that keeps them gives B_ENTRY_NOT_FOUND).
#pragma once

#include <Statable.h>
#include <fs_attr.h>

#include <string>
#include <vector>

class BDirectory;
class BEntry;
struct entry_ref;

class BNode : public BStatable {
public:
    BNode();
    BNode(const entry_ref* ref);
    BNode(const BEntry* entry);
    BNode(const char* path);
    BNode(const BDirectory* dir, const char* path);
    BNode(const BNode& node);
    virtual ~BNode();

    status_t InitCheck() const;

    virtual status_t GetStat(struct stat* st) const override;

    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    status_t SetTo(const char* path);
    status_t SetTo(const BDirectory* dir, const char* path);
    void Unset();

    // Advisory exclusive lock on the node (flock); B_BUSY when held elsewhere.
    status_t Lock();
    status_t Unlock();
    status_t Sync();

    // Writes length bytes at offset into the attribute name and stores type
    // with it. Offset 0 replaces the whole value; a larger offset keeps the
    // value's bytes before it (a gap is filled with zeros) and the bytes
    // after the written range. Returns the bytes written or a status code.
    ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer, size_t length);
    // Reads up to length bytes from offset. The stored type is not checked
    // against type (as the platform does). Returns the bytes read or a
    // status code (B_ENTRY_NOT_FOUND for a missing attribute).
    ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer, size_t length) const;
    status_t RemoveAttr(const char* name);
    status_t RenameAttr(const char* oldName, const char* newName);
    status_t GetAttrInfo(const char* name, attr_info* info) const;
    // Next attribute name (buffer of B_ATTR_NAME_LENGTH bytes);
    // B_ENTRY_NOT_FOUND after the last one.
    status_t GetNextAttrName(char* buffer);
    status_t RewindAttrs();

    // Whole string attributes (type B_STRING_TYPE, stored without a NUL).
    status_t WriteAttrString(const char* name, const std::string& data);
    status_t ReadAttrString(const char* name, std::string* data) const;

    // A duplicate of the node's descriptor (caller closes it); -1 on error.
    int Dup();

    bool operator==(const BNode& node) const;
    bool operator!=(const BNode& node) const;
    BNode& operator=(const BNode& node);

    // Absolute path the node was opened by (not part of the classic
    // interface); NULL when not initialised.
    const char* PathName() const;

protected:
    virtual status_t GetLocation(BPrivate::NodeLocation* location) const override;

    // Opens path without following a link at its end. Used by subclasses.
    status_t OpenNode(const std::string& absolutePath);
    // Adopts an open descriptor (fdIsFull: opened for reading or writing,
    // not O_PATH). Used by BFile.
    void Adopt(int fd, bool fdIsFull, const std::string& absolutePath, bool isLink);
    void Close();

    int fFd;
    bool fFdIsFull;
    bool fIsLink;
    std::string fPath;
    status_t fStatus;

private:
    std::vector<std::string> fAttrNames;
    size_t fAttrCursor;
    bool fAttrsListed;
    bool fLocked;
};

// Copies every attribute (values and type records) of the node at from to
// the node at to, links not followed. Existing attributes of the same names
// are replaced. Used by copies so that attributes travel with the data.
status_t copy_attributes(const char* from, const char* to);

// Writes one attribute on a file just created and open for writing at fd,
// which holds no attribute of that name yet: one pass, nothing read or
// removed first. A file type ("BEOS:TYPE", a MIME string with its NUL) is
// kept as the single freedesktop record (see docs/attributes.md).
status_t write_new_attribute(int fd, const char* name, type_code type, const void* data, size_t size);
