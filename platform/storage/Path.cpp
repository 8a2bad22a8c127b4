#include <Path.h>

#include <Directory.h>
#include <Entry.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <cstring>

using namespace BPrivate;

namespace {

bool NeedsNormalizing(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return true;
    if (path.size() > 1 && path.back() == '/')
        return true;
    if (path.find("//") != std::string::npos || path.find("/./") != std::string::npos
        || path.find("/../") != std::string::npos)
        return true;
    auto endsWith = [&](const char* tail) {
        size_t length = std::strlen(tail);
        return path.size() >= length && path.compare(path.size() - length, length, tail) == 0;
    };
    return endsWith("/.") || endsWith("/..");
}

} // namespace

BPath::BPath()
    : fStatus(B_NO_INIT)
{
}

BPath::BPath(const BPath& path)
    : fPath(path.fPath),
      fStatus(path.fStatus)
{
}

BPath::BPath(const entry_ref* ref)
    : fStatus(B_NO_INIT)
{
    SetTo(ref);
}

BPath::BPath(const BEntry* entry)
    : fStatus(B_NO_INIT)
{
    SetTo(entry);
}

BPath::BPath(const char* dir, const char* leaf, bool normalize)
    : fStatus(B_NO_INIT)
{
    SetTo(dir, leaf, normalize);
}

BPath::BPath(const BDirectory* dir, const char* leaf, bool normalize)
    : fStatus(B_NO_INIT)
{
    SetTo(dir, leaf, normalize);
}

BPath::~BPath() = default;

status_t BPath::InitCheck() const
{
    return fStatus;
}

status_t BPath::SetTo(const entry_ref* ref)
{
    if (ref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    BEntry entry(ref);
    return SetTo(&entry);
}

status_t BPath::SetTo(const BEntry* entry)
{
    Unset();
    if (entry == nullptr)
        return fStatus = B_BAD_VALUE;
    if (entry->InitCheck() != B_OK)
        return fStatus = entry->InitCheck();
    fPath = entry->PathName();
    return fStatus = B_OK;
}

status_t BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
    if (path == nullptr || path[0] == '\0') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    if (leaf != nullptr && leaf[0] == '/') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    std::string full = path;
    if (leaf != nullptr && leaf[0] != '\0')
        full = join_path(full, leaf);

    if (!normalize && !NeedsNormalizing(full)) {
        fPath = std::move(full);
        return fStatus = B_OK;
    }

    // Normalised: absolute, links of the folder part resolved, which must
    // exist; the leaf is kept as it is.
    std::string resolved = resolve_path(make_absolute(full), false);
    if (resolved.empty()) {
        Unset();
        return fStatus = B_LINK_LIMIT;
    }
    std::string folder, name;
    split_path(resolved, &folder, &name);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        int error = errno;
        Unset();
        return fStatus = status_from_errno(error);
    }
    if (!S_ISDIR(st.st_mode)) {
        Unset();
        return fStatus = B_NOT_A_DIRECTORY;
    }
    fPath = std::move(resolved);
    return fStatus = B_OK;
}

status_t BPath::SetTo(const BDirectory* dir, const char* leaf, bool normalize)
{
    if (dir == nullptr || dir->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    std::string folder = dir->PathName();
    return SetTo(folder.c_str(), leaf, normalize);
}

void BPath::Unset()
{
    fPath.clear();
    fStatus = B_NO_INIT;
}

status_t BPath::Append(const char* path, bool normalize)
{
    if (fStatus != B_OK)
        return B_BAD_VALUE;
    if (path == nullptr || path[0] == '\0')
        return B_OK;
    if (path[0] == '/')
        return B_BAD_VALUE;
    std::string current = fPath;
    status_t status = SetTo(current.c_str(), path, normalize);
    if (status != B_OK) {
        // Keep the path as it was; report the failure.
        fPath = current;
        fStatus = B_OK;
    }
    return status;
}

const char* BPath::Path() const
{
    return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
    if (fStatus != B_OK)
        return nullptr;
    size_t slash = fPath.rfind('/');
    return slash == std::string::npos ? fPath.c_str() : fPath.c_str() + slash + 1;
}

status_t BPath::GetParent(BPath* path) const
{
    if (path == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fPath == "/")
        return B_ENTRY_NOT_FOUND;
    size_t slash = fPath.rfind('/');
    if (slash == std::string::npos)
        return B_ENTRY_NOT_FOUND;
    std::string parent = slash == 0 ? "/" : fPath.substr(0, slash);
    path->fPath = parent;
    path->fStatus = B_OK;
    return B_OK;
}

bool BPath::IsAbsolute() const
{
    return fStatus == B_OK && !fPath.empty() && fPath[0] == '/';
}

bool BPath::operator==(const BPath& item) const
{
    return fStatus == item.fStatus && fPath == item.fPath;
}

bool BPath::operator==(const char* path) const
{
    if (fStatus != B_OK || path == nullptr)
        return fStatus != B_OK && path == nullptr;
    return fPath == path;
}

bool BPath::operator!=(const BPath& item) const
{
    return !(*this == item);
}

bool BPath::operator!=(const char* path) const
{
    return !(*this == path);
}

BPath& BPath::operator=(const BPath& item)
{
    if (this != &item) {
        fPath = item.fPath;
        fStatus = item.fStatus;
    }
    return *this;
}

BPath& BPath::operator=(const char* path)
{
    if (path == nullptr)
        Unset();
    else
        SetTo(path);
    return *this;
}
