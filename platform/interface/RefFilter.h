// BRefFilter: decides which entries a file panel lists. The panel asks it
// once for every entry it shows, on the GUI thread.
#pragma once

#include <SupportDefs.h>

#include <sys/stat.h>

class BNode;
struct entry_ref;

class BRefFilter {
public:
    virtual ~BRefFilter() = default;
    // ref and node are the entry itself (for a link: the link); fileType is
    // its file type, for a link the type of what it points to, so that a
    // link to a folder lists like a folder.
    virtual bool Filter(const entry_ref* ref, BNode* node, struct stat* st, const char* fileType) = 0;
};
