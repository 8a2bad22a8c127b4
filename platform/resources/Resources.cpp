#include "Resources.h"

#include <File.h>
#include <Sandbox.h>

#include "FileReplacer.h"
#include "ResourceFormat.h"
#include "ResourceStreamWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ondelle::resources;

namespace {

// Contents that grow past this size move from memory to a scratch file.
constexpr uint64 kScratchThreshold = 4 << 20;

// Additions up to this size are compared with what is there already.
constexpr size_t kCompareLimit = 64 << 10;

const uint8 kEmptyData[1] = {0};

status_t WriteAllAt(int fd, const void* data, size_t length, uint64 offset)
{
    const uint8* bytes = static_cast<const uint8*>(data);
    while (length > 0) {
        ssize_t written = pwrite(fd, bytes, length, off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        bytes += written;
        length -= size_t(written);
        offset += uint64(written);
    }
    return B_OK;
}

// An unnamed file for large resource contents: in the resource file's own
// folder (same file system as the final file), else in the temporary folder.
int OpenScratchFile(const std::string& nearPath)
{
    std::vector<std::string> folders;
    size_t slash = nearPath.rfind('/');
    if (slash != std::string::npos)
        folders.push_back(slash == 0 ? "/" : nearPath.substr(0, slash));
    const char* tmp = getenv("TMPDIR");
    folders.push_back(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp");
    for (const std::string& folder : folders) {
        int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        std::string pattern = folder + "/.resource-scratch-XXXXXX";
        fd = mkostemp(pattern.data(), O_CLOEXEC);
        if (fd >= 0) {
            unlink(pattern.c_str());
            return fd;
        }
    }
    return -1;
}

// True when the file cannot be opened for writing because it is a program
// that is running.
bool IsRunningProgram(const std::string& path)
{
    int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return false;
    }
    return errno == ETXTBSY;
}

} // namespace

struct BResources::Item {
    enum Where { kInFile, kInMemory, kInScratch };

    type_code type = 0;
    int32 id = 0;
    std::string name;
    uint64 size = 0;
    Where where = kInFile;
    uint64 fileOffset = 0;       // kInFile
    std::vector<uint8> memory;   // kInMemory
    int scratchFd = -1;          // kInScratch
    // Contents handed out by LoadResource() for resources not in memory.
    std::vector<uint8> loaded;
    bool isLoaded = false;

    ~Item()
    {
        if (scratchFd >= 0)
            close(scratchFd);
    }

    void DropLoaded()
    {
        isLoaded = false;
        std::vector<uint8>().swap(loaded);
    }
};

BResources::BResources() = default;

BResources::BResources(const char* path, bool clobber)
{
    SetTo(path, clobber);
}

BResources::BResources(const BFile* file, bool clobber)
{
    SetTo(file, clobber);
}

BResources::~BResources()
{
    Unset();
}

status_t BResources::InitCheck() const
{
    return fInitStatus;
}

const char* BResources::Path() const
{
    return fInitStatus == B_OK ? fPath.c_str() : nullptr;
}

int32 BResources::CountResources() const
{
    return int32(fItems.size());
}

void BResources::Unset()
{
    if (fInitStatus == B_OK && fModified && fWritable) {
        status_t status = Sync();
        if (status != B_OK)
            fprintf(stderr, "BResources: could not write the resources of %s (error 0x%x)\n", fPath.c_str(),
                unsigned(status));
    }
    fItems.clear();
    if (fFd >= 0)
        close(fFd);
    fFd = -1;
    fPath.clear();
    fFileSize = 0;
    fContainer.reset();
    fInitStatus = B_NO_INIT;
    fWritable = false;
    fModified = false;
}

status_t BResources::SetTo(const char* path, bool clobber)
{
    Unset();
    if (path == nullptr || path[0] == '\0')
        return fInitStatus = B_BAD_VALUE;
    char resolved[PATH_MAX];
    if (realpath(path, resolved) == nullptr)
        return fInitStatus = status_from_errno(errno);
    // A running program counts as writable: it is replaced, not written into.
    bool writable = access(resolved, W_OK) == 0 || IsRunningProgram(resolved);
    return _Bind(resolved, writable, clobber);
}

// The real path of an open descriptor, as the kernel knows it now.
static status_t PathOfDescriptor(int fd, std::string& path)
{
    char link[64];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    ssize_t length = readlink(link, target, sizeof(target) - 1);
    if (length < 0)
        return status_from_errno(errno);
    target[length] = '\0';
    if (target[0] != '/')
        return B_ENTRY_NOT_FOUND; // not a file in a folder (pipe, socket, ...)
    path = target;
    return B_OK;
}

status_t BResources::SetTo(const BFile* file, bool clobber)
{
    Unset();
    if (file == nullptr)
        return fInitStatus = B_BAD_VALUE;
    if (file->InitCheck() != B_OK)
        return fInitStatus = file->InitCheck();
    int fd = const_cast<BFile*>(file)->Dup();
    if (fd < 0)
        return fInitStatus = B_FILE_ERROR;
    std::string path;
    status_t status = PathOfDescriptor(fd, path);
    close(fd);
    if (status != B_OK)
        return fInitStatus = status;
    // A running program cannot be opened for writing, but it can be
    // replaced: count it as writable when its path is.
    bool writable = file->IsWritable() || IsRunningProgram(path);
    return _Bind(path, writable, clobber);
}

status_t BResources::_Bind(const std::string& path, bool writable, bool clobber)
{
    // Not blocking: the path may name a pipe, refused below.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fInitStatus = status_from_errno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        status_t status = status_from_errno(errno);
        close(fd);
        return fInitStatus = status;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return fInitStatus = S_ISDIR(st.st_mode) ? status_t(B_IS_A_DIRECTORY) : status_t(B_BAD_VALUE);
    }
    fFd = fd;
    fPath = path;
    fFileSize = uint64(st.st_size);
    // Like the rest of the storage kit, nothing outside an active sandbox
    // is changed.
    fWritable = writable && sandbox_allows_write(path.c_str());
    fContainer = std::make_unique<ContainerInfo>();

    FdSource source(fFd, fFileSize);
    status_t status = DetectContainer(source, *fContainer);
    if (status != B_OK) {
        if (!clobber) {
            Unset();
            return fInitStatus = status;
        }
        // Anything else becomes a plain resource file.
        *fContainer = ContainerInfo();
        fContainer->kind = ContainerKind::kEmpty;
        fContainer->base = kX86ResourceBase;
    }

    std::vector<ResourceEntry> entries;
    if (!clobber && fContainer->kind != ContainerKind::kEmpty) {
        // Found at either place, the resources are written back at the
        // base: an earlier build moves to where the platform looks.
        status = ReadContainerResources(source, *fContainer, entries);
        if (status != B_OK) {
            Unset();
            return fInitStatus = status;
        }
    }
    for (ResourceEntry& entry : entries) {
        auto item = std::make_unique<Item>();
        item->type = entry.type;
        item->id = entry.id;
        item->name = std::move(entry.name);
        item->size = entry.size;
        item->fileOffset = entry.offset;
        fItems.push_back(std::move(item));
    }
    fModified = clobber;
    fInitStatus = B_OK;
    return B_OK;
}

BResources::Item* BResources::_Find(type_code type, int32 id) const
{
    for (const auto& item : fItems) {
        if (item->type == type && item->id == id)
            return item.get();
    }
    return nullptr;
}

BResources::Item* BResources::_Find(type_code type, const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const auto& item : fItems) {
        if (item->type == type && item->name == name)
            return item.get();
    }
    return nullptr;
}

int32 BResources::_IndexOf(const Item* item) const
{
    for (size_t i = 0; i < fItems.size(); i++) {
        if (fItems[i].get() == item)
            return int32(i);
    }
    return -1;
}

status_t BResources::_ReadItem(const Item& item, uint64 offset, void* buffer, size_t length) const
{
    if (offset > item.size || length > item.size - offset)
        return B_BAD_VALUE;
    if (length == 0)
        return B_OK;
    switch (item.where) {
        case Item::kInMemory:
            memcpy(buffer, item.memory.data() + offset, length);
            return B_OK;
        case Item::kInScratch:
            return FdSource(item.scratchFd, item.size).ReadAt(offset, buffer, length);
        case Item::kInFile:
            break;
    }
    return FdSource(fFd, fFileSize).ReadAt(item.fileOffset + offset, buffer, length);
}

const void* BResources::_Load(Item* item, size_t* _size)
{
    if (item == nullptr)
        return nullptr;
    if (item->size > SIZE_MAX)
        return nullptr;
    if (_size != nullptr)
        *_size = size_t(item->size);
    if (item->size == 0)
        return kEmptyData;
    if (item->where == Item::kInMemory)
        return item->memory.data();
    if (!item->isLoaded) {
        std::vector<uint8> data;
        try {
            data.resize(size_t(item->size));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        if (_ReadItem(*item, 0, data.data(), data.size()) != B_OK)
            return nullptr;
        item->loaded = std::move(data);
        item->isLoaded = true;
    }
    return item->loaded.data();
}

const void* BResources::LoadResource(type_code type, int32 id, size_t* _size)
{
    if (fInitStatus != B_OK)
        return nullptr;
    return _Load(_Find(type, id), _size);
}

const void* BResources::LoadResource(type_code type, const char* name, size_t* _size)
{
    if (fInitStatus != B_OK)
        return nullptr;
    return _Load(_Find(type, name), _size);
}

status_t BResources::PreloadResourceType(type_code type)
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    for (const auto& item : fItems) {
        if ((type == 0 || item->type == type) && _Load(item.get(), nullptr) == nullptr)
            return B_IO_ERROR;
    }
    return B_OK;
}

bool BResources::HasResource(type_code type, int32 id)
{
    return fInitStatus == B_OK && _Find(type, id) != nullptr;
}

bool BResources::HasResource(type_code type, const char* name)
{
    return fInitStatus == B_OK && _Find(type, name) != nullptr;
}

bool BResources::GetResourceInfo(int32 byIndex, type_code* typeFound, int32* idFound, const char** nameFound,
    size_t* lengthFound)
{
    if (fInitStatus != B_OK || byIndex < 0 || size_t(byIndex) >= fItems.size())
        return false;
    const Item& item = *fItems[size_t(byIndex)];
    if (typeFound != nullptr)
        *typeFound = item.type;
    if (idFound != nullptr)
        *idFound = item.id;
    if (nameFound != nullptr)
        *nameFound = item.name.c_str();
    if (lengthFound != nullptr)
        *lengthFound = size_t(item.size);
    return true;
}

bool BResources::GetResourceInfo(type_code byType, int32 andIndex, int32* idFound, const char** nameFound,
    size_t* lengthFound)
{
    if (fInitStatus != B_OK || andIndex < 0)
        return false;
    int32 seen = 0;
    for (const auto& item : fItems) {
        if (item->type != byType)
            continue;
        if (seen++ == andIndex) {
            if (idFound != nullptr)
                *idFound = item->id;
            if (nameFound != nullptr)
                *nameFound = item->name.c_str();
            if (lengthFound != nullptr)
                *lengthFound = size_t(item->size);
            return true;
        }
    }
    return false;
}

bool BResources::GetResourceInfo(type_code byType, int32 andID, const char** nameFound, size_t* lengthFound)
{
    Item* item = fInitStatus == B_OK ? _Find(byType, andID) : nullptr;
    if (item == nullptr)
        return false;
    if (nameFound != nullptr)
        *nameFound = item->name.c_str();
    if (lengthFound != nullptr)
        *lengthFound = size_t(item->size);
    return true;
}

bool BResources::GetResourceInfo(type_code byType, const char* andName, int32* idFound, size_t* lengthFound)
{
    Item* item = fInitStatus == B_OK ? _Find(byType, andName) : nullptr;
    if (item == nullptr)
        return false;
    if (idFound != nullptr)
        *idFound = item->id;
    if (lengthFound != nullptr)
        *lengthFound = size_t(item->size);
    return true;
}

bool BResources::GetResourceInfo(const void* byPointer, type_code* typeFound, int32* idFound,
    size_t* lengthFound, const char** nameFound)
{
    if (fInitStatus != B_OK || byPointer == nullptr || byPointer == kEmptyData)
        return false;
    for (const auto& item : fItems) {
        const void* data = item->where == Item::kInMemory ? item->memory.data()
            : item->isLoaded                              ? item->loaded.data()
                                                          : nullptr;
        if (data != byPointer || item->size == 0)
            continue;
        if (typeFound != nullptr)
            *typeFound = item->type;
        if (idFound != nullptr)
            *idFound = item->id;
        if (lengthFound != nullptr)
            *lengthFound = size_t(item->size);
        if (nameFound != nullptr)
            *nameFound = item->name.c_str();
        return true;
    }
    return false;
}

status_t BResources::_CheckChange() const
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    return fWritable ? B_OK : B_NOT_ALLOWED;
}

status_t BResources::_MoveToScratch(Item& item)
{
    int fd = OpenScratchFile(fPath);
    if (fd < 0)
        return status_from_errno(errno);
    status_t status = B_OK;
    if (item.where == Item::kInMemory)
        status = WriteAllAt(fd, item.memory.data(), item.memory.size(), 0);
    else if (item.where == Item::kInFile && item.size > 0) {
        if (lseek(fd, 0, SEEK_SET) != 0)
            status = status_from_errno(errno);
        else
            status = CopyFileRange(fFd, item.fileOffset, fd, item.size);
    }
    if (status != B_OK) {
        close(fd);
        return status;
    }
    std::vector<uint8>().swap(item.memory);
    item.scratchFd = fd;
    item.where = Item::kInScratch;
    return B_OK;
}

status_t BResources::_MakeChangeable(Item& item, uint64 newSize)
{
    item.DropLoaded();
    if (item.where == Item::kInScratch)
        return B_OK;
    if (newSize > kScratchThreshold)
        return _MoveToScratch(item);
    if (item.where == Item::kInFile) {
        std::vector<uint8> data;
        try {
            data.resize(size_t(item.size));
        } catch (const std::bad_alloc&) {
            return B_NO_MEMORY;
        }
        status_t status = _ReadItem(item, 0, data.data(), data.size());
        if (status != B_OK)
            return status;
        item.memory = std::move(data);
        item.where = Item::kInMemory;
    }
    return B_OK;
}

status_t BResources::AddResource(type_code type, int32 id, const void* data, size_t length, const char* name)
{
    status_t status = _CheckChange();
    if (status != B_OK)
        return status;
    if (data == nullptr && length > 0)
        return B_BAD_VALUE;
    if (length > UINT32_MAX || (name != nullptr && strlen(name) >= 0xFFFF))
        return B_BAD_VALUE;

    // Rewriting a file costs a copy of all of it: skip changes that are none.
    if (Item* existing = _Find(type, id); existing != nullptr && existing->size == length
        && length <= kCompareLimit && existing->name == (name != nullptr ? name : "")) {
        size_t size = 0;
        const void* current = _Load(existing, &size);
        if (current != nullptr && (length == 0 || memcmp(current, data, length) == 0))
            return B_OK;
    }

    auto item = std::make_unique<Item>();
    item->type = type;
    item->id = id;
    item->name = name != nullptr ? name : "";
    item->size = length;
    if (length > kScratchThreshold) {
        item->where = Item::kInFile; // empty until written below
        item->size = 0;
        status = _MoveToScratch(*item);
        if (status == B_OK)
            status = WriteAllAt(item->scratchFd, data, length, 0);
        if (status != B_OK)
            return status;
        item->size = length;
    } else {
        item->where = Item::kInMemory;
        try {
            item->memory.assign(static_cast<const uint8*>(data), static_cast<const uint8*>(data) + length);
        } catch (const std::bad_alloc&) {
            return B_NO_MEMORY;
        }
    }

    // Replace a resource of the same type and id in its place.
    for (auto& existing : fItems) {
        if (existing->type == type && existing->id == id) {
            existing = std::move(item);
            fModified = true;
            return B_OK;
        }
    }
    fItems.push_back(std::move(item));
    fModified = true;
    return B_OK;
}

status_t BResources::RemoveResource(type_code type, int32 id)
{
    status_t status = _CheckChange();
    if (status != B_OK)
        return status;
    Item* item = _Find(type, id);
    if (item == nullptr)
        return B_BAD_VALUE;
    fItems.erase(fItems.begin() + _IndexOf(item));
    fModified = true;
    return B_OK;
}

status_t BResources::RemoveResource(const void* resource)
{
    status_t status = _CheckChange();
    if (status != B_OK)
        return status;
    type_code type;
    int32 id;
    if (!GetResourceInfo(resource, &type, &id, nullptr, nullptr))
        return B_BAD_VALUE;
    return RemoveResource(type, id);
}

status_t BResources::WriteResource(type_code type, int32 id, const void* data, off_t offset, size_t length)
{
    status_t status = _CheckChange();
    if (status != B_OK)
        return status;
    if (offset < 0 || (data == nullptr && length > 0))
        return B_BAD_VALUE;
    Item* item = _Find(type, id);
    if (item == nullptr)
        return B_BAD_VALUE;
    uint64 end = uint64(offset) + length;
    if (end > UINT32_MAX)
        return B_BAD_VALUE;
    uint64 newSize = std::max(item->size, end);
    status = _MakeChangeable(*item, newSize);
    if (status != B_OK)
        return status;
    if (item->where == Item::kInScratch) {
        if (length > 0)
            status = WriteAllAt(item->scratchFd, data, length, uint64(offset));
        if (status == B_OK && newSize > item->size && ftruncate(item->scratchFd, off_t(newSize)) != 0)
            status = status_from_errno(errno);
        if (status != B_OK)
            return status;
    } else {
        try {
            if (newSize > item->memory.size())
                item->memory.resize(size_t(newSize), 0);
        } catch (const std::bad_alloc&) {
            return B_NO_MEMORY;
        }
        if (length > 0)
            memcpy(item->memory.data() + offset, data, length);
    }
    item->size = newSize;
    fModified = true;
    return B_OK;
}

status_t BResources::ReadResource(type_code type, int32 id, void* data, off_t offset, size_t length)
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (offset < 0 || (data == nullptr && length > 0))
        return B_BAD_VALUE;
    Item* item = _Find(type, id);
    if (item == nullptr)
        return B_BAD_VALUE;
    if (uint64(offset) >= item->size)
        return B_OK;
    length = size_t(std::min<uint64>(length, item->size - uint64(offset)));
    if (item->isLoaded) {
        memcpy(data, item->loaded.data() + offset, length);
        return B_OK;
    }
    return _ReadItem(*item, uint64(offset), data, length);
}

status_t BResources::CopyResourceTo(type_code type, int32 id, BFile* file)
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (file == nullptr || file->InitCheck() != B_OK || !file->IsWritable())
        return B_BAD_VALUE;
    Item* item = _Find(type, id);
    if (item == nullptr)
        return B_BAD_VALUE;
    int fd = file->Dup(); // shares the file position with file
    if (fd < 0)
        return B_FILE_ERROR;
    status_t status = B_OK;
    switch (item->where) {
        case Item::kInFile:
            status = CopyFileRange(fFd, item->fileOffset, fd, item->size);
            break;
        case Item::kInScratch:
            status = CopyFileRange(item->scratchFd, 0, fd, item->size);
            break;
        case Item::kInMemory:
            for (size_t done = 0; status == B_OK && done < item->memory.size();) {
                ssize_t written = write(fd, item->memory.data() + done, item->memory.size() - done);
                if (written < 0 && errno != EINTR)
                    status = status_from_errno(errno);
                else if (written > 0)
                    done += size_t(written);
            }
            break;
    }
    close(fd);
    return status;
}

status_t BResources::GetResourceFileRange(type_code type, int32 id, off_t* offset, size_t* length) const
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (offset == nullptr || length == nullptr)
        return B_BAD_VALUE;
    const Item* item = _Find(type, id);
    if (item == nullptr)
        return B_BAD_VALUE;
    if (item->where != Item::kInFile)
        return B_BUSY;
    *offset = off_t(item->fileOffset);
    *length = size_t(item->size);
    return B_OK;
}

void* BResources::FindResource(type_code type, int32 id, size_t* lengthFound)
{
    size_t size = 0;
    const void* data = LoadResource(type, id, &size);
    if (data == nullptr)
        return nullptr;
    void* copy = malloc(size > 0 ? size : 1);
    if (copy == nullptr)
        return nullptr;
    memcpy(copy, data, size);
    if (lengthFound != nullptr)
        *lengthFound = size;
    return copy;
}

void* BResources::FindResource(type_code type, const char* name, size_t* lengthFound)
{
    Item* item = fInitStatus == B_OK ? _Find(type, name) : nullptr;
    return item != nullptr ? FindResource(type, item->id, lengthFound) : nullptr;
}

status_t BResources::MergeFrom(BFile* fromFile)
{
    if (fromFile == nullptr || fromFile->InitCheck() != B_OK)
        return B_BAD_VALUE;
    int fd = fromFile->Dup();
    if (fd < 0)
        return B_FILE_ERROR;
    std::string path;
    status_t status = PathOfDescriptor(fd, path);
    close(fd);
    return status == B_OK ? MergeFrom(path.c_str()) : status;
}

status_t BResources::MergeFrom(const char* path)
{
    status_t status = _CheckChange();
    if (status != B_OK)
        return status;
    BResources other;
    status = other.SetTo(path, false);
    if (status != B_OK)
        return status;
    // Stream each resource across so that large contents never sit in memory.
    std::vector<uint8> buffer(1 << 20);
    for (const auto& item : other.fItems) {
        status = AddResource(item->type, item->id, buffer.data(), 0, item->name.c_str());
        for (uint64 at = 0; status == B_OK && at < item->size;) {
            size_t chunk = size_t(std::min<uint64>(buffer.size(), item->size - at));
            status = other._ReadItem(*item, at, buffer.data(), chunk);
            if (status == B_OK)
                status = WriteResource(item->type, item->id, buffer.data(), off_t(at), chunk);
            at += chunk;
        }
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

status_t BResources::Sync()
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (!fModified)
        return B_OK;
    if (!fWritable)
        return B_NOT_ALLOWED;
    return _WriteFile();
}

status_t BResources::_WriteFile()
{
    FileReplacer replacer;
    status_t status = replacer.Begin(fPath);
    if (status != B_OK)
        return status;

    // What comes before the resources stays as it was; found at either
    // place, the resources are written back at the base.
    ResourceStreamWriter writer(replacer.Descriptor());
    writer.Begin(*fContainer, fFd, fFileSize, fItems.size());
    for (size_t i = 0; writer.Status() == B_OK && i < fItems.size(); i++) {
        const Item& item = *fItems[i];
        writer.BeginResource(item.type, item.id, item.name);
        switch (item.where) {
            case Item::kInFile:
                writer.CopyFrom(fFd, item.fileOffset, item.size);
                break;
            case Item::kInMemory:
                writer.Write(item.memory.data(), item.memory.size());
                break;
            case Item::kInScratch:
                writer.CopyFrom(item.scratchFd, 0, item.size);
                break;
        }
    }
    status = writer.Finish();
    if (status == B_OK)
        status = replacer.Commit(fFd);
    if (status != B_OK)
        return status;
    std::vector<uint64> newOffsets;
    newOffsets.reserve(fItems.size());
    for (size_t i = 0; i < fItems.size(); i++)
        newOffsets.push_back(writer.DataOffset(i));
    const uint64 newSize = writer.FileSize();
    const uint64 base = writer.Base();

    // Read from the new file from now on.
    int fd = open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        status = status_from_errno(errno);
        fprintf(stderr, "BResources: %s was written but cannot be opened again\n", fPath.c_str());
        fItems.clear();
        close(fFd);
        fFd = -1;
        fInitStatus = status;
        return status;
    }
    close(fFd);
    fFd = fd;
    fFileSize = newSize;
    if (fContainer->kind == ContainerKind::kEmpty)
        fContainer->kind = ContainerKind::kResourceFile;
    fContainer->base = base;
    for (size_t i = 0; i < fItems.size(); i++) {
        Item& item = *fItems[i];
        if (item.where == Item::kInMemory) {
            // Keep the bytes that LoadResource() may have handed out.
            item.loaded = std::move(item.memory);
            item.isLoaded = true;
            item.memory.clear();
        } else if (item.where == Item::kInScratch) {
            close(item.scratchFd);
            item.scratchFd = -1;
        }
        item.where = Item::kInFile;
        item.fileOffset = newOffsets[i];
    }
    fModified = false;
    return B_OK;
}
