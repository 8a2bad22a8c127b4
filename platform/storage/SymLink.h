// BSymLink: a symbolic link node (the link itself, not its target).
#pragma once

#include <Node.h>

class BPath;

class BSymLink : public BNode {
public:
    BSymLink();
    BSymLink(const BSymLink& link);
    BSymLink(const entry_ref* ref);
    BSymLink(const BEntry* entry);
    BSymLink(const char* path);
    BSymLink(const BDirectory* dir, const char* path);
    virtual ~BSymLink();

    // Copies the link's target text into buffer (NUL-terminated, cut to
    // size). Returns the target's length or a status code; B_BAD_VALUE when
    // the node is not a link.
    ssize_t ReadLink(char* buffer, size_t size);
    // The target made absolute against dirPath when it is relative.
    ssize_t MakeLinkedPath(const char* dirPath, BPath* path);
    ssize_t MakeLinkedPath(const BDirectory* dir, BPath* path);
    bool IsAbsolute();
};
