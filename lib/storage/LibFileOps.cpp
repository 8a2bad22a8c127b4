// Existence, folders, and the operations that run the standard tools.
#include "LibFileUtils.h"

#include "ToolRunner.h"

#include <Directory.h>
#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <StopPoint.h>
#include <Volume.h>

#include <cstdio>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Attributes of symbolic links: the copy tool keeps the extended attributes
// of files and folders, but Linux keeps none on links, so the storage kit
// holds them elsewhere; this brings them over link by link.
void CopyLinkAttributes(const std::string& from, const std::string& to)
{
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0)
        return;
    if (S_ISLNK(st.st_mode)) {
        copy_attributes(from.c_str(), to.c_str());
        return;
    }
    if (!S_ISDIR(st.st_mode))
        return;
    DIR* dir = ::opendir(from.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> names;
    while (struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names)
        CopyLinkAttributes(from + "/" + name, to + "/" + name);
}

// Whether the volume that holds path keeps attributes at all.
bool VolumeKeepsAttributes(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return true;
    BVolume volume(st.st_dev);
    return volume.InitCheck() != B_OK || volume.KnowsAttr();
}

// "cp -fR" with the attributes kept; forMove also keeps modes and times,
// as a move leaves them untouched. A volume that cannot hold attributes at
// all (FAT, ramfs ...) still gets the data: the copy is repeated without
// them and the loss reported, as the platform's own copy did silently.
bool CopyTree(const char* src, const char* dst, bool forMove)
{
    const std::string tool = FindPlatformTool("cp");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibCopy", dst))
        return false;
    const std::string landing = IsFolder(dst) ? std::string(dst) + "/" + LeafOf(src) : std::string(dst);
    int status = RunTool({tool, "-fR", forMove ? "--preserve=mode,timestamps,xattr" : "--preserve=xattr",
        "--", src, dst});
    if (status != 0 && EntryExists(landing) && !VolumeKeepsAttributes(ParentPathOf(landing))) {
        fprintf(stderr, "LibCopy: the volume of %s keeps no attributes; copying without them\n", dst);
        status = forMove ? RunTool({tool, "-fR", "--preserve=mode,timestamps", "--", src, dst})
                         : RunTool({tool, "-fR", "--", src, dst});
    }
    if (status == 0)
        CopyLinkAttributes(src, landing);
    return status == 0;
}

} // namespace

bool LibExists(const char* path)
{
    return path != nullptr && ::access(path, F_OK) == 0;
}

bool Libmkdir(const char* path)
{
    if (path == nullptr || *path == '\0' || LibExists(path))
        return false;
    stop_point();
    if (!MayChange("Libmkdir", path))
        return false;
    return create_directory(path, 0775) == B_OK;
}

int LibChangeDirectory(const char* path)
{
    if (!LibExists(path))
        return -1;
    return ::chdir(path);
}

bool LibCopy(const char* src, const char* dst)
{
    if (src == nullptr || dst == nullptr || *src == '\0' || *dst == '\0')
        return false;
    return CopyTree(src, dst, false);
}

bool LibMove(const char* src, const char* dst)
{
    if (src == nullptr || dst == nullptr || *src == '\0' || *dst == '\0')
        return false;
    const std::string tool = FindPlatformTool("mv");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibMove", src) || !MayChange("LibMove", dst))
        return false;

    entry_ref from;
    entry_ref to;
    const bool sameVolume = get_ref_for_path(src, &from) == B_OK && get_ref_for_path(dst, &to) == B_OK
        && from.device == to.device;
    if (sameVolume)
        return RunTool({tool, "-f", "--", src, dst}) == 0;

    const bool copied = CopyTree(src, dst, true);
    Libmimeset(dst);
    if (copied)
        LibUnlink(src);
    return copied;
}

void LibUnlink(const char* path)
{
    if (path == nullptr || *path == '\0')
        return;
    const std::string tool = FindPlatformTool("rm");
    if (tool.empty())
        return;
    stop_point();
    if (!MayChange("LibUnlink", path))
        return;
    RunTool({tool, "-fr", "--", path});
}

void Libmimeset(const char* path)
{
    if (path == nullptr || *path == '\0')
        return;
    stop_point();
    if (!MayChange("Libmimeset", path))
        return;
    // Entries that already have a type keep it.
    update_mime_info(path, true, true, false);
}

bool LibSymLink(const char* target, const char* link)
{
    if (target == nullptr || link == nullptr || *link == '\0')
        return false;
    const std::string tool = FindPlatformTool("ln");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibSymLink", link))
        return false;
    return RunTool({tool, "-fs", "--", target, link}) == 0;
}

bool LibTar(const char* source, const char* archive)
{
    if (source == nullptr || archive == nullptr || *source == '\0' || *archive == '\0')
        return false;
    const std::string tool = FindPlatformTool("tar");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibTar", archive))
        return false;
    // Run in the archive's folder, named by its leaf; a relative source is
    // therefore taken from that folder. --force-local keeps a ":" in the
    // name from meaning a remote host, --xattrs keeps the attributes.
    return RunTool({tool, "--force-local", "--xattrs", "-cf", LeafOf(archive), "--", source},
               ParentPathOf(archive))
        == 0;
}
