// LibRefFilter: the file panel filter that lists entries whose file type is
// one of a list of types, and optionally every plain file. Folders and
// volumes pass only when their types are in the list.
#pragma once

#include <LibStringList.h>
#include <RefFilter.h>

class LibRefFilter : public BRefFilter {
public:
    LibRefFilter();
    virtual ~LibRefFilter();

    bool Filter(const entry_ref* ref, BNode* node, struct stat* st, const char* fileType) override;

    void AddType(const char* fileType);
    void AllowAllFiles(const bool& allow);

private:
    LibStringList fTypes;
    bool fAllowAllFiles;
};
