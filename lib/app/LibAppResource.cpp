#include "LibAppResource.h"

#include <AppPath.h>
#include <FindDirectory.h>
#include <LibFileUtils.h>
#include <Path.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Pieces in which archives travel into resources.
constexpr size_t kChunkSize = 8192;
// Pieces in which resources are read back out.
constexpr size_t kReadChunkSize = 1 << 20;

const char* const kStagedArchive = "archive.zip";

bool CommonTempFolder(BPath& folder)
{
    return find_directory(B_COMMON_TEMP_DIRECTORY, &folder, true) == B_OK;
}

// Removes a working folder with its contents when the scope ends.
class WorkFolderRemover {
public:
    explicit WorkFolderRemover(std::string path)
        : fPath(std::move(path))
    {
    }
    ~WorkFolderRemover() { LibUnlink(fPath.c_str()); }
    WorkFolderRemover(const WorkFolderRemover&) = delete;
    WorkFolderRemover& operator=(const WorkFolderRemover&) = delete;

private:
    std::string fPath;
};

bool IsPlainLeafName(const char* name)
{
    return name != nullptr && name[0] != '\0' && strchr(name, '/') == nullptr && strcmp(name, ".") != 0
        && strcmp(name, "..") != 0;
}

} // namespace

LibAppResource::LibAppResource(const uint32& openMode)
{
    std::string path;
    if (get_app_path(&path) == B_OK)
        _Open(path.c_str(), openMode);
}

LibAppResource::LibAppResource(const char* path, const uint32& openMode)
{
    if (path != nullptr)
        _Open(path, openMode);
}

LibAppResource::~LibAppResource()
{
    // Writes pending changes while the file object still exists.
    Unset();
}

void LibAppResource::_Open(const char* path, const uint32& openMode)
{
    if (fFile.SetTo(path, openMode) != B_OK) {
        // A running program refuses write access but can be replaced, which
        // BResources does; any other refusal stands.
        if ((openMode & O_ACCMODE) == B_READ_ONLY || fFile.SetTo(path, B_READ_ONLY) != B_OK)
            return;
    }
    SetTo(&fFile, false);
}

bool LibAppResource::AddEntry(const char* path, const int32& id, const char* name, const int& level)
{
    if (InitCheck() != B_OK || path == nullptr)
        return false;
    // The archive is staged in a private folder of its own, so that
    // concurrent builds never share (or are handed) a staging file.
    BPath folder;
    if (!CommonTempFolder(folder) || LibCreateWorkFolder(folder, kPackFolderPrefix) != B_OK)
        return false;
    const WorkFolderRemover remover(folder.Path());
    BPath archive(folder.Path(), kStagedArchive);
    // A partly packed archive must never be stored: it would install an
    // item with entries missing.
    if (!LibZip(archive.Path(), BPath(path), level, true)) {
        fprintf(stderr, "%s could not be packed completely\n", path);
        return false;
    }

    BFile file(archive.Path(), B_READ_ONLY);
    off_t size = 0;
    if (file.InitCheck() != B_OK || file.GetSize(&size) != B_OK) {
        fprintf(stderr, "%s failed\n", archive.Path());
        return false;
    }

    std::vector<char> chunk(kChunkSize);
    bool stored = true;
    RemoveResource(B_RAW_TYPE, id);
    size_t first = size_t(std::min<off_t>(size, off_t(kChunkSize)));
    if (file.ReadAt(0, chunk.data(), first) != ssize_t(first)
        || AddResource(B_RAW_TYPE, id, chunk.data(), first, name) != B_OK)
        stored = false;
    for (off_t at = off_t(first); stored && at < size; at += off_t(kChunkSize)) {
        size_t length = size_t(std::min<off_t>(size - at, off_t(kChunkSize)));
        if (file.ReadAt(at, chunk.data(), length) != ssize_t(length)
            || WriteResource(B_RAW_TYPE, id, chunk.data(), at, length) != B_OK)
            stored = false;
    }
    if (!stored) {
        // A truncated archive would unpack to a damaged item: drop it.
        RemoveResource(B_RAW_TYPE, id);
        fprintf(stderr, "%s could not be stored as resource %d\n", archive.Path(), int(id));
    }
    file.Unset();
    return stored;
}

bool LibAppResource::ExtractEntry(const int32& id, const char* path, bool unzip)
{
    if (path == nullptr)
        return false;
    const char* name = nullptr;
    size_t size = 0;
    if (!GetResourceInfo(B_RAW_TYPE, id, &name, &size))
        return true;
    std::string resourceName = name;
    if (unzip && !IsPlainLeafName(resourceName.c_str())) {
        fprintf(stderr, "ExtractEntry: resource %d has no usable name\n", int(id));
        return false;
    }

    // Written out and unpacked inside a private folder: nothing planted at
    // a guessable name in the shared temporary folder is ever taken.
    BPath folder;
    if (!CommonTempFolder(folder) || LibCreateWorkFolder(folder, kUnpackFolderPrefix) != B_OK) {
        fprintf(stderr, "Error initializine file in ExtractEntry\n");
        return false;
    }
    const WorkFolderRemover remover(folder.Path());
    // An archive is read in place from the file when its data lies there.
    off_t offset = 0;
    size_t length = 0;
    if (unzip && GetResourceFileRange(B_RAW_TYPE, id, &offset, &length) == B_OK && Path() != nullptr) {
        const std::string contents = std::string(folder.Path()) + "/contents";
        Libmkdir(contents.c_str());
        LibUnzipRange(Path(), offset, length, contents.c_str());
        const std::string source = contents + "/" + resourceName;
        if (!LibExists(source.c_str()))
            return true;
        LibMove(source.c_str(), path);
        Libmimeset(path);
        return true;
    }

    BPath temp(folder.Path(), kStagedArchive);
    bool written = false;
    {
        BFile file(temp.Path(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
        written = file.InitCheck() == B_OK && CopyResourceTo(B_RAW_TYPE, id, &file) == B_OK;
    }
    if (!written) {
        // A partial archive must not reach the destination.
        fprintf(stderr, "ExtractEntry: resource %d could not be written out\n", int(id));
        return false;
    }

    std::string source = temp.Path();
    if (unzip) {
        const std::string contents = std::string(folder.Path()) + "/contents";
        Libmkdir(contents.c_str());
        LibUnzipTo(temp.Path(), contents.c_str());
        source = contents + "/" + resourceName;
        if (!LibExists(source.c_str()))
            return true;
    }
    LibMove(source.c_str(), path);
    Libmimeset(path);
    return true;
}

char* LibAppResource::FindString(const int32& id)
{
    size_t size = 0;
    const void* data = LoadResource(B_STRING_TYPE, id, &size);
    if (data == nullptr)
        return nullptr;
    char* copy = new char[size + 1];
    memcpy(copy, data, size);
    copy[size] = '\0';
    return copy;
}

bool LibAppResource::CopyResource(const int32& id, const uint32& type, LibAppResource& target)
{
    const char* name = nullptr;
    size_t size = 0;
    if (!GetResourceInfo(type, id, &name, &size))
        return true;
    std::string resourceName = name;
    // Streamed, so that large archives are never held in memory whole.
    std::vector<char> buffer(std::min(size, kReadChunkSize) + 1);
    size_t first = std::min(size, buffer.size());
    if (ReadResource(type, id, buffer.data(), 0, first) != B_OK
        || target.AddResource(type, id, buffer.data(), first, resourceName.c_str()) != B_OK)
        return false;
    for (size_t at = first; at < size; at += buffer.size()) {
        size_t length = std::min(buffer.size(), size - at);
        if (ReadResource(type, id, buffer.data(), off_t(at), length) != B_OK
            || target.WriteResource(type, id, buffer.data(), off_t(at), length) != B_OK) {
            target.RemoveResource(type, id);
            return false;
        }
    }
    return true;
}

void LibAppResource::PrintToStream() const
{
    fprintf(stderr, "LibAppResource: %s, %d resources%s\n", Path() != nullptr ? Path() : "(no file)",
        int(CountResources()), IsWritable() ? "" : ", read-only");
}
