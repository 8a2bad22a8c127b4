// The Trash and the copy series of free names.
#include "LibFileUtils.h"

#include "ToolRunner.h"

#include <File.h>
#include <FindDirectory.h>
#include <StopPoint.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

// Percent-encodes a path for the trash record: everything but letters,
// digits, "/", "-", "_", ".", "~".
std::string EncodePath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            encoded.push_back(char(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 15]);
        }
    }
    return encoded;
}

std::string AbsolutePath(const char* path)
{
    if (path[0] == '/')
        return path;
    char* cwd = ::getcwd(nullptr, 0);
    std::string absolute = cwd != nullptr ? std::string(cwd) + "/" + path : std::string(path);
    ::free(cwd);
    return absolute;
}

} // namespace

LibString LibCopySeriesName(const char* leaf, int32 n)
{
    LibString name(leaf != nullptr ? leaf : "");
    if (n >= 1)
        name += " copy";
    if (n >= 2) {
        name += " ";
        name += int32(n - 1);
    }
    return name;
}

void LibTrash(const BPath& path, const bool& replace)
{
    if (path.Path() == nullptr || path.Leaf() == nullptr || *path.Leaf() == '\0')
        return;
    const std::string source = AbsolutePath(path.Path());
    if (!EntryExists(source))
        return;
    stop_point();

    // The freedesktop Trash: the entry goes into "files", its record with
    // the original place and the time into "info".
    BPath trash;
    if (find_directory(B_TRASH_DIRECTORY, &trash, true) != B_OK || trash.Path() == nullptr)
        return;
    const std::string files = trash.Path();
    const std::string info = ParentPathOf(files) + "/info";
    if (!MayChange("LibTrash", files.c_str()))
        return;

    const std::string leaf = path.Leaf();
    for (int32 n = 0; n < 100000; n++) {
        const std::string name = static_cast<const char*>(LibCopySeriesName(leaf.c_str(), n));
        const std::string target = files + "/" + name;
        const std::string record = info + "/" + name + ".trashinfo";
        if (replace) {
            // The leaf itself, whatever holds it now.
            LibUnlink(target.c_str());
            ::unlink(record.c_str());
        } else if (EntryExists(target)) {
            continue;
        }
        // The record is created exclusively: it also reserves the name.
        BFile file(record.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
        if (file.InitCheck() == B_FILE_EXISTS && !replace)
            continue;
        if (file.InitCheck() != B_OK)
            return;
        char date[32];
        const time_t now = ::time(nullptr);
        struct tm local = {};
        ::localtime_r(&now, &local);
        ::strftime(date, sizeof(date), "%Y-%m-%dT%H:%M:%S", &local);
        const std::string text = "[Trash Info]\nPath=" + EncodePath(source) + "\nDeletionDate=" + date + "\n";
        const bool written = file.Write(text.data(), text.size()) == ssize_t(text.size());
        file.Unset();
        if (!written || !LibMove(source.c_str(), target.c_str()))
            ::unlink(record.c_str());
        return;
    }
}

void LibDuplicate(const char* path)
{
    if (path == nullptr || *path == '\0')
        return;
    const std::string source = path;
    const std::string leaf = LeafOf(source);
    if (leaf.empty() || leaf == "/" || !EntryExists(source))
        return;
    const std::string folder = ParentPathOf(source);
    for (int32 n = 1; n < 100000; n++) {
        const std::string target = folder + "/" + static_cast<const char*>(LibCopySeriesName(leaf.c_str(), n));
        if (!EntryExists(target)) {
            LibMove(source.c_str(), target.c_str());
            return;
        }
    }
}
