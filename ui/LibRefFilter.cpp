#include "LibRefFilter.h"

#include <Node.h>

LibRefFilter::LibRefFilter()
    :
    fAllowAllFiles(false)
{
}

LibRefFilter::~LibRefFilter()
{
}

bool LibRefFilter::Filter(const entry_ref*, BNode* node, struct stat* st, const char* fileType)
{
    if (fAllowAllFiles) {
        const bool plainFile = st != nullptr ? S_ISREG(st->st_mode) : (node != nullptr && node->IsFile());
        if (plainFile)
            return true;
    }
    return fileType != nullptr && fTypes.InList(fileType);
}

void LibRefFilter::AddType(const char* fileType)
{
    if (fileType != nullptr)
        fTypes.Add(fileType);
}

void LibRefFilter::AllowAllFiles(const bool& allow)
{
    fAllowAllFiles = allow;
}
