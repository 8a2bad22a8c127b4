#include <SymLink.h>

#include <Directory.h>
#include <Path.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

using namespace BPrivate;

BSymLink::BSymLink() = default;

BSymLink::BSymLink(const BSymLink& link)
    : BNode(link)
{
}

BSymLink::BSymLink(const entry_ref* ref)
    : BNode(ref)
{
}

BSymLink::BSymLink(const BEntry* entry)
    : BNode(entry)
{
}

BSymLink::BSymLink(const char* path)
    : BNode(path)
{
}

BSymLink::BSymLink(const BDirectory* dir, const char* path)
    : BNode(dir, path)
{
}

BSymLink::~BSymLink() = default;

ssize_t BSymLink::ReadLink(char* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (buffer == nullptr || size == 0)
        return B_BAD_VALUE;
    if (!fIsLink)
        return B_BAD_VALUE;
    std::vector<char> target(B_PATH_NAME_LENGTH);
    ssize_t length;
    for (;;) {
        length = ::readlinkat(fFd, "", target.data(), target.size());
        if (length < 0)
            return status_from_errno(errno);
        if (size_t(length) < target.size())
            break;
        target.resize(target.size() * 2);
    }
    size_t copied = std::min(size - 1, size_t(length));
    std::memcpy(buffer, target.data(), copied);
    buffer[copied] = '\0';
    return length;
}

ssize_t BSymLink::MakeLinkedPath(const char* dirPath, BPath* path)
{
    if (dirPath == nullptr || path == nullptr)
        return B_BAD_VALUE;
    char target[B_PATH_NAME_LENGTH];
    ssize_t length = ReadLink(target, sizeof(target));
    if (length < 0)
        return length;
    if (size_t(length) >= sizeof(target))
        return B_NAME_TOO_LONG;
    status_t status = target[0] == '/' ? path->SetTo(target) : path->SetTo(dirPath, target, true);
    if (status != B_OK)
        return status;
    return ssize_t(std::strlen(path->Path()));
}

ssize_t BSymLink::MakeLinkedPath(const BDirectory* dir, BPath* path)
{
    if (dir == nullptr || dir->InitCheck() != B_OK)
        return B_BAD_VALUE;
    return MakeLinkedPath(dir->PathName(), path);
}

bool BSymLink::IsAbsolute()
{
    char target[B_PATH_NAME_LENGTH];
    return ReadLink(target, sizeof(target)) > 0 && target[0] == '/';
}
